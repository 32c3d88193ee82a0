// -R and -U: the registration that has Windows run "kvdisconnect -C" once in each user's session
// at that user's next logon.
#include "disconnect/disconnect_main.h"
#include "disconnect/protected_location.h"
#include "rules/logon_registration.h"
#include "system/machine_registry.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr int kNotAdministrator = 5;
constexpr std::uint32_t kErrorFileNotFound = 2;

int refuse(int exitCode, const std::wstring& line) {
  SystemServices::current().writeConsole(ConsoleStream::Err, line + L"\n");
  return exitCode;
}

void say(const std::wstring& line) {
  SystemServices::current().writeConsole(ConsoleStream::Out, line + L"\n");
}

// Below HKEY_LOCAL_MACHINE only administrators may write; say so before trying.
bool administratorOrRefused(int& exitCode) {
  if (SystemServices::current().callerIsAdministrator()) return true;
  exitCode = refuse(kNotAdministrator,
                    L"kvdisconnect -R and -U change the settings of every user of this PC: run "
                    L"them as an administrator (elevated) or as LocalSystem.");
  return false;
}

}  // namespace

int registerForLogons(const DisconnectOptions& options) {
  int refused = 0;
  if (!administratorOrRefused(refused)) return refused;
  SystemServices& system = SystemServices::current();
  const std::wstring program = system.ownProgramPath();
  // Windows starts the registered program with each user's rights: a copy that a standard user
  // could replace would run whatever that user put there in every other user's session.
  if (program.empty() || !liesInProtectedFolder(program)) {
    return refuse(1, L"Refused to register " + program +
                         L": it lies where a standard user may write. Copy it below "
                         L"%ProgramFiles% or %SystemRoot% (for example to C:\\Program "
                         L"Files\\KVTool) and register that copy.");
  }

  MachineRegistry& registry = MachineRegistry::current();
  std::uint32_t error = 0;
  const std::optional<LogonRegistration> before = readLogonRegistration(error);
  const std::wstring stubPath = logonStubPath(program, options.configFile, options.models);
  const std::wstring version = nextLogonVersion(before ? before->version : L"", system.localTime());
  // The key's name and command first, its version last: a registration cut short in between
  // is not taken for a new one by any user's logon.
  std::uint32_t failed = registry.writeString(kLogonRegistrationKey, L"", kLogonRegistrationName);
  if (failed == 0) failed = registry.writeString(kLogonRegistrationKey, L"StubPath", stubPath);
  if (failed == 0) failed = registry.writeDword(kLogonRegistrationKey, L"IsInstalled", 1);
  if (failed == 0) failed = registry.writeString(kLogonRegistrationKey, L"Version", version);
  if (failed != 0) {
    return refuse(1, L"Failed to write the registration HKLM\\" +
                         std::wstring(kLogonRegistrationKey) + L" (" + std::to_wstring(failed) +
                         L")");
  }
  say(L"Registered for each user's next logon: " + stubPath + L" (Version " + version + L")");
  return 0;
}

int unregisterFromLogons() {
  int refused = 0;
  if (!administratorOrRefused(refused)) return refused;
  const std::uint32_t failed = MachineRegistry::current().deleteKey(kLogonRegistrationKey);
  if (failed == kErrorFileNotFound) {
    say(L"Not registered for users' logons: nothing to remove.");
    return 0;
  }
  if (failed != 0) {
    return refuse(1, L"Failed to remove the registration HKLM\\" +
                         std::wstring(kLogonRegistrationKey) + L" (" + std::to_wstring(failed) +
                         L")");
  }
  say(L"Removed the registration for users' logons.");
  return 0;
}

}  // namespace kv
