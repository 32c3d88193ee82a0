#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "products/installer_memory.h"
#include "spooler/process_runner.h"

namespace kv::test {

// A product code of the in-memory installer: "{00000000-0000-0000-0000-00000000000<letter>}".
inline std::wstring code(wchar_t letter) {
  return std::wstring(L"{00000000-0000-0000-0000-00000000000") + letter + L"}";
}

// How a command given to FakeUninstaller ends, and whether its product is gone after it.
struct FakeEnding {
  ProcessOutcome outcome;
  bool removes = false;
};

// Runs nothing: records each command and, unless told otherwise in `endings`, takes the product
// named after "/X" away and exits 0, as its uninstaller would.
class FakeUninstaller : public ProcessRunner {
 public:
  explicit FakeUninstaller(MemoryInstaller& installer) : installer_(installer) {}
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    commands.push_back(commandLine + L" @" + std::to_wstring(timeLimitMs));
    const auto told = endings.find(commandLine);
    const FakeEnding ending = every ? *every
                              : told != endings.end()
                                  ? told->second
                                  : FakeEnding{{ProcessOutcome::End::Exited}, true};
    const std::size_t at = commandLine.find(L"/X{");
    if (ending.removes && at != std::wstring::npos) {
      installer_.removeProduct(commandLine.substr(at + 2, 38));
    }
    return ending.outcome;
  }
  std::vector<std::wstring> commands;
  std::map<std::wstring, FakeEnding> endings;
  std::optional<FakeEnding> every;  // how every command ends, when set

 private:
  MemoryInstaller& installer_;
};

}  // namespace kv::test
