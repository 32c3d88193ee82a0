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
    if (expansionFails) return std::nullopt;
    return expandPercentNames(text,
                              [this](const std::wstring& n) { return environmentVariable(n); });
  }
  std::wstring systemDirectory() override { return systemFolder; }
  std::optional<std::wstring> nativePrintEnvironment() override { return printEnvironment; }
  bool runsAsLocalSystem() override { return localSystem; }
  bool hasInteractiveWindowStation() override { return interactiveWindowStation; }
  FileLockAttempt tryFileLock(const std::wstring& path) override {
    if (locksHeldElsewhere.contains(path)) return {nullptr, FileLockFound::HeldByOurs};
    if (locksHeldByStrangers.contains(path)) return {nullptr, FileLockFound::HeldByStranger};
    return SystemServicesWrapper::tryFileLock(path);
  }
  bool callerIsAdministrator() override { return administrator; }
  std::wstring ownProgramPath() override { return programPath; }
  std::wstring computerName() override { return computer; }
  LocalTime localTime() override { return clock; }
  LocalTime universalTime() override { return universalClock; }
  std::uint64_t millisecondsSinceStart() override { return sinceStart; }
  ProcessAccount processAccount() override {
    return {accountName, accountId, localSystem, elevated};
  }
  std::wstring windowsVersion() override { return windows; }
  MachineKind nativeMachine() override { return machine; }
  bool pathExists(const std::wstring& path) override {
    return files.contains(path) || SystemServicesWrapper::pathExists(path);
  }
  bool fileExists(const std::wstring& path) override {
    return files.contains(path) || SystemServicesWrapper::fileExists(path);
  }
  std::uint32_t systemDefaultLocaleId() override { return localeId; }
  int messageBox(const std::wstring& text, const std::wstring& caption,
                 std::uint32_t style) override;
  bool isReparsePoint(const std::wstring& path) override;
  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override;
  MachineValueRead machineValueShape(const std::wstring& name, MachineValueShape& shape) override;
  bool writeMachineValue(const std::wstring& name, const std::string& data) override;
  bool writeMachineTexts(const std::wstring& name, const std::vector<std::wstring>& texts) override;
  bool deleteMachineValue(const std::wstring& name) override;

  std::map<std::wstring, std::wstring> environment;
  std::wstring computer = L"PC01";
  std::wstring systemFolder = L"C:\\Windows\\system32";
  std::optional<std::wstring> printEnvironment;  // not under WOW64
  bool localSystem = false;
  bool interactiveWindowStation = true;
  // Lock files another run of ours holds, and those something else holds.
  std::set<std::wstring> locksHeldElsewhere;
  std::set<std::wstring> locksHeldByStrangers;
  bool administrator = true;
  std::wstring programPath = L"C:\\Program Files\\KVTool\\kvdisconnect.exe";
  LocalTime clock{2026, 12, 6, 14, 5, 0};
  LocalTime universalClock{2026, 12, 6, 13, 5, 0};
  std::uint64_t sinceStart = 3600000;  // up for an hour: started 2026-12-06 12:05:00 UTC
  std::set<std::wstring> files;        // present besides the real file system's
  bool expansionFails = false;
  std::wstring accountName = L"PC01\\admin";
  std::wstring accountId = L"S-1-5-21-7-500";
  bool elevated = true;
  std::wstring windows = L"10.0.19045";
  MachineKind machine = MachineKind::X64;
  std::uint32_t localeId = 0x409;
  int messageBoxResult = 1;
  std::vector<ShownBox> shownBoxes;
  std::set<std::wstring> reparsePoints;
  // The machine values of this test alone; reading one named in `unreadableValues` fails.
  std::map<std::wstring, std::string> machineValues;
  std::set<std::wstring> unreadableValues;
  // Values of another type than binary (REG_MULTI_SZ for those writeMachineTexts wrote).
  std::map<std::wstring, MachineValueType> machineValueTypes;
  std::set<std::wstring> undeletableValues;  // their deletion fails
  // Values this account may not read.
  std::set<std::wstring> deniedValues;

 private:
  ScopedSystemServices installed_;
};

}  // namespace kv::test
