#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/environment_text.h"
#include "system/system_services.h"

namespace kv::test {

// The platform's services with a fixed clock, computer name, environment and locale, and a
// message box that records what it was asked to show. File operations stay real: tests point
// them at a temporary directory; a path in `reparsePoints` is a junction or symbolic link as well
// as whatever it really is. Machine values live in the instance. Installs itself for its lifetime.
class FakeSystemServices : public SystemServicesWrapper {
 public:
  struct ShownBox {
    std::wstring text;
    std::wstring caption;
    std::uint32_t style;
  };

  FakeSystemServices();

  std::optional<std::wstring> environmentVariable(const std::wstring& name) override;
  std::optional<std::wstring> expandEnvironmentStrings(const std::wstring& text) override {
    return expandPercentNames(text,
                              [this](const std::wstring& n) { return environmentVariable(n); });
  }
  std::wstring systemDirectory() override { return systemFolder; }
  std::optional<std::wstring> nativePrintEnvironment() override { return printEnvironment; }
  bool runsAsLocalSystem() override { return localSystem; }
  bool callerIsAdministrator() override { return administrator; }
  std::wstring ownProgramPath() override { return programPath; }
  std::wstring computerName() override { return computer; }
  LocalTime localTime() override { return clock; }
  std::uint32_t systemDefaultLocaleId() override { return localeId; }
  int messageBox(const std::wstring& text, const std::wstring& caption,
                 std::uint32_t style) override;
  bool isReparsePoint(const std::wstring& path) override;
  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override;
  bool writeMachineValue(const std::wstring& name, const std::string& data) override;
  bool deleteMachineValue(const std::wstring& name) override;

  std::map<std::wstring, std::wstring> environment;
  std::wstring computer = L"PC01";
  std::wstring systemFolder = L"C:\\Windows\\system32";
  std::optional<std::wstring> printEnvironment;  // not under WOW64
  bool localSystem = false;
  bool administrator = true;
  std::wstring programPath = L"C:\\Program Files\\KVTool\\kvdisconnect.exe";
  LocalTime clock{2026, 12, 6, 14, 5, 0};
  std::uint32_t localeId = 0x409;
  int messageBoxResult = 1;
  std::vector<ShownBox> shownBoxes;
  std::set<std::wstring> reparsePoints;
  // The machine values of this test alone.
  std::map<std::wstring, std::string> machineValues;

 private:
  ScopedSystemServices installed_;
};

}  // namespace kv::test
