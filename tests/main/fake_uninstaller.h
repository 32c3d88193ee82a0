#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "products/installer_memory.h"
#include "spooler/process_runner.h"

namespace kv::test {

// A product code of the in-memory installer: "{00000000-0000-0000-0000-00000000000<letter>}".
inline std::wstring code(wchar_t letter) {
  return std::wstring(L"{00000000-0000-0000-0000-00000000000") + letter + L"}";
}

// Runs nothing: records each command and, unless told to fail it, takes the product named after
// "/X" away, as its uninstaller would.
class FakeUninstaller : public ProcessRunner {
 public:
  explicit FakeUninstaller(MemoryInstaller& installer) : installer_(installer) {}
  bool runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    commands.push_back(commandLine + L" @" + std::to_wstring(timeLimitMs));
    if (failAll || failing.contains(commandLine)) return false;
    const std::size_t at = commandLine.find(L"/X{");
    if (at != std::wstring::npos) installer_.removeProduct(commandLine.substr(at + 2, 38));
    return true;
  }
  std::vector<std::wstring> commands;
  std::set<std::wstring> failing;
  bool failAll = false;  // every uninstaller fails to start or runs into the limit

 private:
  MemoryInstaller& installer_;
};

}  // namespace kv::test
