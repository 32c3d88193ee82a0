#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "system/scoped_instance.h"

namespace kv {

// The start of the line both programs write when runsAsLocalSystem() holds.
inline constexpr wchar_t kLocalSystemSeesNoConnections[] =
    L"Running as LocalSystem, which sees no user's network printer connections";

// Broken-down local time as the clock reports it.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
};

enum class ConsoleStream { Out, Err };

// What reading one of the cleaner's machine values found.
enum class MachineValueRead { Read, Missing, Failed };

// Where the machine values live, for the lines that name them.
inline constexpr wchar_t kMachineValuesKey[] = L"HKLM\\SOFTWARE\\NOVAX\\kvcleaner";

// Everything the cleaner asks of the operating system besides the print spooler, the installer
// service and child processes. One implementation per platform; tests install their own through
// ScopedSystemServices. No operation throws.
class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Value of the environment variable `name`. Returns nullopt when the variable is not set, is
  // empty, or is 4096 characters or longer (the cleaner reads it into room for 4096 characters).
  virtual std::optional<std::wstring> environmentVariable(const std::wstring& name) = 0;

  // NetBIOS name of this computer; empty when it cannot be read.
  virtual std::wstring computerName() = 0;

  // The current local time.
  virtual LocalTime localTime() = 0;

  // The system's default locale identifier (on Windows GetSystemDefaultLCID); its low 10 bits
  // are the primary language identifier.
  virtual std::uint32_t systemDefaultLocaleId() = 0;

  // Converts text in the system's ANSI code page to wide text. Bytes without a mapping become
  // the platform's replacement character; never fails.
  virtual std::wstring ansiToWide(std::string_view text) = 0;

  // Converts wide text to the system's ANSI code page. Characters without an equivalent become
  // the code page's default character ("?"); never fails.
  virtual std::string wideToAnsi(std::wstring_view text) = 0;

  // True when the file system has an entry of that name, of whatever kind (a link counts whether
  // or not it leads anywhere). An empty path is never present.
  virtual bool pathExists(const std::wstring& path) = 0;

  // The text with each %NAME% replaced by the value of the environment variable NAME, as the
  // shell expands a REG_EXPAND_SZ registry value. A %NAME% that is not set stays as it stands,
  // and the search goes on after its closing %; a % without a closing one stays too. Windows:
  // ExpandEnvironmentStringsW, names without regard to letter case. POSIX: the same rules over
  // this process's environment, names as they are spelt. nullopt when the text cannot be
  // expanded (Windows: a result longer than 32K characters).
  virtual std::optional<std::wstring> expandEnvironmentStrings(const std::wstring& text) = 0;

  // The system folder, whose programs come with Windows (GetSystemDirectoryW, for example
  // C:\Windows\system32), without a trailing backslash unless it is a drive's root. Empty when it
  // cannot be read, and on POSIX, which has no such folder.
  virtual std::wstring systemDirectory() = 0;

  // The print environment of the machine's own drivers when this process runs under WOW64 (a
  // 32-bit program on 64-bit Windows): "Windows x64" or "Windows ARM64". The spooler takes a
  // missing environment as the caller's own, "Windows NT x86" there, whose drivers are not the
  // ones the queues use. nullopt when the process is not under WOW64 (the 64-bit program,
  // 32-bit Windows, POSIX), or under it on a machine of another kind: the caller's own is then
  // the machine's.
  virtual std::optional<std::wstring> nativePrintEnvironment() = 0;

  // True when this process runs as LocalSystem (the token's user is S-1-5-18), as distribution
  // tools run programs: that account sees no user's network printer connections. False for any
  // other account, when it cannot be told, and on POSIX.
  virtual bool runsAsLocalSystem() = 0;

  // True when this process's token counts as a member of the Administrators group (an elevated
  // administrator, or LocalSystem), as writing below HKEY_LOCAL_MACHINE needs. Windows:
  // CheckTokenMembership, which passes over a group the token holds for deny only, so an
  // administrator's token without elevation counts as not. False when it cannot be told; on
  // POSIX, true for root.
  virtual bool callerIsAdministrator() = 0;

  // This program's own file, a full path as the system loaded it (GetModuleFileNameW; POSIX:
  // /proc/self/exe). Empty when it cannot be read.
  virtual std::wstring ownProgramPath() = 0;

  // Creates one directory with default security; its parent must exist. True on success.
  virtual bool createDirectory(const std::wstring& path) = 0;

  // Creates one directory that only administrators and the system may write into, while users
  // keep read access; what is created inside inherits that. Its parent must exist. True on
  // success. Windows: a protected DACL (nothing inherited from the parent) with full control for
  // BUILTIN\Administrators and SYSTEM and read & execute for BUILTIN\Users. POSIX: mode 0755 (the
  // process umask may take more away).
  virtual bool createProtectedDirectory(const std::wstring& path) = 0;

  // True when the entry at `path` itself is a reparse point (a junction or a symbolic link; on
  // POSIX a symbolic link), looked at without following it; also true when its attributes cannot
  // be read for another reason than its absence, so that a caller refuses rather than guesses.
  // False when the entry is none of these or does not exist. Only the last component is looked
  // at; the folders on the way are followed.
  virtual bool isReparsePoint(const std::wstring& path) = 0;

  // Deletes one file. True on success.
  virtual bool deleteFile(const std::wstring& path) = 0;

  // The cleaner's own machine-wide values: the registry key kMachineValuesKey, in its 64-bit view
  // from the 32-bit program as well, so that both programs share them. Below HKLM\SOFTWARE only
  // administrators and the system may create or change keys and values by default; users read.
  // POSIX has no registry: the values live in the process as long as it runs.

  // The data of the value `name`, whatever its type, into `data` (changed only on Read).
  // Missing when the key or the value is not there; Failed on any other failure.
  virtual MachineValueRead readMachineValue(const std::wstring& name, std::string& data) = 0;

  // Writes `data` as the binary value `name`, creating the key when it is missing. True on
  // success.
  virtual bool writeMachineValue(const std::wstring& name, const std::string& data) = 0;

  // Deletes the value `name`. True on success and when it was not there.
  virtual bool deleteMachineValue(const std::wstring& name) = 0;

  // Shows a message box (no owner window) and waits until it is closed. Returns the button
  // that closed it, or -1 when no box could be shown (for example without a display).
  virtual int messageBox(const std::wstring& text, const std::wstring& caption,
                         std::uint32_t style) = 0;

  // Writes text to standard output or standard error as the console expects it, without a
  // line end of its own, and flushes.
  virtual void writeConsole(ConsoleStream stream, std::wstring_view text) = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static SystemServices& current();
};

// The platform's own implementation (Windows or POSIX); lives for the whole process.
SystemServices& platformSystemServices();

// Installs another instance as SystemServices::current() for the lifetime of the scope.
using ScopedSystemServices = ScopedInstance<SystemServices>;

// Forwards every operation to a target; a test overrides just what it needs.
class SystemServicesWrapper : public SystemServices {
 public:
  explicit SystemServicesWrapper(SystemServices& target) : target_(target) {}

  std::optional<std::wstring> environmentVariable(const std::wstring& name) override {
    return target_.environmentVariable(name);
  }
  std::wstring computerName() override { return target_.computerName(); }
  LocalTime localTime() override { return target_.localTime(); }
  std::uint32_t systemDefaultLocaleId() override { return target_.systemDefaultLocaleId(); }
  std::wstring ansiToWide(std::string_view text) override { return target_.ansiToWide(text); }
  std::string wideToAnsi(std::wstring_view text) override { return target_.wideToAnsi(text); }
  std::optional<std::wstring> expandEnvironmentStrings(const std::wstring& text) override {
    return target_.expandEnvironmentStrings(text);
  }
  std::wstring systemDirectory() override { return target_.systemDirectory(); }
  std::optional<std::wstring> nativePrintEnvironment() override {
    return target_.nativePrintEnvironment();
  }
  bool runsAsLocalSystem() override { return target_.runsAsLocalSystem(); }
  bool callerIsAdministrator() override { return target_.callerIsAdministrator(); }
  std::wstring ownProgramPath() override { return target_.ownProgramPath(); }
  bool pathExists(const std::wstring& path) override { return target_.pathExists(path); }
  bool createDirectory(const std::wstring& path) override { return target_.createDirectory(path); }
  bool createProtectedDirectory(const std::wstring& path) override {
    return target_.createProtectedDirectory(path);
  }
  bool isReparsePoint(const std::wstring& path) override { return target_.isReparsePoint(path); }
  bool deleteFile(const std::wstring& path) override { return target_.deleteFile(path); }
  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override {
    return target_.readMachineValue(name, data);
  }
  bool writeMachineValue(const std::wstring& name, const std::string& data) override {
    return target_.writeMachineValue(name, data);
  }
  bool deleteMachineValue(const std::wstring& name) override {
    return target_.deleteMachineValue(name);
  }
  int messageBox(const std::wstring& text, const std::wstring& caption,
                 std::uint32_t style) override {
    return target_.messageBox(text, caption, style);
  }
  void writeConsole(ConsoleStream stream, std::wstring_view text) override {
    target_.writeConsole(stream, text);
  }

 private:
  SystemServices& target_;
};

}  // namespace kv
