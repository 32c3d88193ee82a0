#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "spooler/process_runner.h"
#include "standins/installer_memory.h"

namespace kv::test {

// A product code of the in-memory installer: "{00000000-0000-0000-0000-00000000000<letter>}".
inline std::wstring code(wchar_t letter) {
  return std::wstring(L"{00000000-0000-0000-0000-00000000000") + letter + L"}";
}

// Runs nothing: records each command and, unless told otherwise in `endings`, takes the product
// named after "/X" away and exits 0, as its uninstaller would. While another installation holds
// the installer's mutex, every uninstaller exits 1618 and removes nothing.
class FakeUninstaller : public ProcessRunner {
 public:
  explicit FakeUninstaller(MemoryInstaller& installer) : installer_(installer) {}
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    commands.push_back(commandLine + L" @" + std::to_wstring(timeLimitMs));
    if (failAll) return {};
    if (installer_.executeMutexHeld()) return {ProcessOutcome::End::Exited, 1618};
    const auto [outcome, removes] = endings.contains(commandLine)
                                        ? endings[commandLine]
                                        : Ending{{ProcessOutcome::End::Exited}, true};
    const std::size_t at = commandLine.find(L"/X{");
    if (removes && at != std::wstring::npos)
      installer_.removeProduct(commandLine.substr(at + 2, 38));
    return outcome;
  }
  std::vector<std::wstring> commands;
  // How a command ends, and whether its product is gone after it.
  using Ending = std::pair<ProcessOutcome, bool>;
  std::map<std::wstring, Ending> endings;
  bool failAll = false;  // no uninstaller can be started

 private:
  MemoryInstaller& installer_;
};

}  // namespace kv::test
