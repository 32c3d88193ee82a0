#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/machine_kind.h"
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

// The account this process runs as, for a report that says who looked and the log's start.
struct ProcessAccount {
  std::wstring name;  // "DOMAIN\\user"; empty when it has no name here
  std::wstring id;    // the SID as text ("S-1-5-18"); on POSIX "uid N"
  bool localSystem = false;
  bool elevated = false;
};

// A hold on a name that every process of the machine sees, in every session. Destroying it gives
// the name back; so does the end of the process, however it ends.
class MachineLock {
 public:
  virtual ~MachineLock() = default;
};

// What trying a lock file found. Made and TakenOver hold the lock; TakenOver when a file of that
// name was there already: a run of ours never leaves one behind, so it was put there by something
// else. HeldByOurs: a run of ours (or the system or an administrator) holds it open.
// HeldByStranger: anything else holds it, or its owner cannot be read. Failed: it cannot be opened
// for another reason (no folder, no right).
enum class FileLockFound { Made, TakenOver, HeldByOurs, HeldByStranger, Failed };

struct FileLockAttempt {
  std::unique_ptr<MachineLock> lock;  // held for Made and TakenOver, else null
  FileLockFound found = FileLockFound::Failed;
};

// What a machine value holds, told without reading its data.
enum class MachineValueType { Binary, Texts, Other };
struct MachineValueShape {
  MachineValueType type = MachineValueType::Other;
  std::uint64_t size = 0;
};

// What reading one of the cleaner's machine values found.
// Denied is a failure too, for lack of the right to read: a caller that only tells Read from the
// rest treats it as Failed.
enum class MachineValueRead { Read, Missing, Failed, Denied };

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

  // The current time in UTC, broken down alike.
  virtual LocalTime universalTime() = 0;

  // Milliseconds since the system started (Windows GetTickCount64; time asleep counts, and so
  // does a shut-down with fast start-up, which hibernates: only a restart starts it again).
  virtual std::uint64_t millisecondsSinceStart() = 0;

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

  // True when the path names a file (a link: what it leads to), false for a folder, a path that
  // is not there and the empty path: a program to start must be a file.
  virtual bool fileExists(const std::wstring& path) = 0;

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

  // The print environment of the machine's own drivers when it is not this program's: "Windows
  // x64" for the 32-bit program under WOW64, "Windows ARM64" for it or for the x64 program
  // emulated on ARM64 Windows. The spooler takes a missing environment as the caller's own,
  // whose drivers are not the ones the queues use there. nullopt when the program's kind is the
  // machine's (and on POSIX): the caller's own is then the machine's.
  virtual std::optional<std::wstring> nativePrintEnvironment() = 0;

  // True when this process runs as LocalSystem (the token's user is S-1-5-18), as distribution
  // tools run programs: that account sees no user's network printer connections. False for any
  // other account, when it cannot be told, and on POSIX.
  virtual bool runsAsLocalSystem() = 0;

  // The account of this process's token, whether it is LocalSystem and whether the token is
  // elevated. POSIX: the user's name, never LocalSystem, elevated as root.
  virtual ProcessAccount processAccount() = 0;

  // Windows' own version, "major.minor.build" ("10.0.19045"), whatever compatibility the program
  // declares; empty when it cannot be read. POSIX: the kernel's release.
  virtual std::wstring windowsVersion() = 0;

  // The processor kind of the machine itself, which under WOW64 or emulation is not this
  // program's (see nativePrintEnvironment); Unknown when it cannot be told.
  virtual MachineKind nativeMachine() = 0;

  // True when this process's window station shows its windows to a user (WSF_VISIBLE). False in
  // a non-interactive one (a service's, a scheduled task's without a logged-on user), where a
  // message box is never seen and never returns, and when it cannot be told. True on POSIX.
  virtual bool hasInteractiveWindowStation() = 0;

  // Takes the lock file `path` without waiting; its folder must exist. Windows: the file is
  // opened without sharing and deleted when its handle closes (so also when the process ends,
  // however it ends); when made, its owner is BUILTIN\Administrators and only SYSTEM and
  // Administrators may open it. A file held open by another is told by its owner: SYSTEM,
  // Administrators or this process's own account count as ours. POSIX: exclusive within this
  // process; the file is made and deleted alike.
  virtual FileLockAttempt tryFileLock(const std::wstring& path) = 0;

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
  // Missing when the key or the value is not there; Denied when this account may not read them;
  // Failed on any other failure.
  virtual MachineValueRead readMachineValue(const std::wstring& name, std::string& data) = 0;

  // The type and size of the value `name` into `shape`, its data not read; results as
  // readMachineValue's. POSIX keeps binary values and lists of texts only.
  virtual MachineValueRead machineValueShape(const std::wstring& name,
                                             MachineValueShape& shape) = 0;

  // Writes `data` as the binary value `name`, creating the key when it is missing. True on
  // success.
  virtual bool writeMachineValue(const std::wstring& name, const std::string& data) = 0;

  // Writes `texts` as the REG_MULTI_SZ value `name` (read back, its data is multiStringBytes of
  // them), creating the key when it is missing. True on success.
  virtual bool writeMachineTexts(const std::wstring& name,
                                 const std::vector<std::wstring>& texts) = 0;

  // Deletes the value `name`, and the key kMachineValuesKey with it when that was its last value
  // and the key has no subkey. True on success and when it was not there.
  virtual bool deleteMachineValue(const std::wstring& name) = 0;

  // Shows a message box (no owner window) and waits until it is closed. Returns the button
  // that closed it, or -1 when no box could be shown (for example without a display).
  virtual int messageBox(const std::wstring& text, const std::wstring& caption,
                         std::uint32_t style) = 0;

  // Writes text to standard output or standard error as the console expects it, without a
  // line end of its own, and flushes.
  virtual void writeConsole(ConsoleStream stream, std::wstring_view text) = 0;

  // Writes a report to standard output or standard error so that every character survives: to a
  // console as wide text (Windows: WriteConsoleW in pieces, each checked); redirected to a file or
  // pipe, in the console's output code page when the process has a console, else in UTF-8, with
  // CRLF line ends on Windows. A stream that is closed or full loses the rest, silently.
  virtual void writeReport(ConsoleStream stream, std::wstring_view text) = 0;

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
  LocalTime universalTime() override { return target_.universalTime(); }
  std::uint64_t millisecondsSinceStart() override { return target_.millisecondsSinceStart(); }
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
  ProcessAccount processAccount() override { return target_.processAccount(); }
  std::wstring windowsVersion() override { return target_.windowsVersion(); }
  MachineKind nativeMachine() override { return target_.nativeMachine(); }
  bool hasInteractiveWindowStation() override { return target_.hasInteractiveWindowStation(); }
  FileLockAttempt tryFileLock(const std::wstring& path) override {
    return target_.tryFileLock(path);
  }
  bool callerIsAdministrator() override { return target_.callerIsAdministrator(); }
  std::wstring ownProgramPath() override { return target_.ownProgramPath(); }
  bool pathExists(const std::wstring& path) override { return target_.pathExists(path); }
  bool fileExists(const std::wstring& path) override { return target_.fileExists(path); }
  bool createDirectory(const std::wstring& path) override { return target_.createDirectory(path); }
  bool createProtectedDirectory(const std::wstring& path) override {
    return target_.createProtectedDirectory(path);
  }
  bool isReparsePoint(const std::wstring& path) override { return target_.isReparsePoint(path); }
  bool deleteFile(const std::wstring& path) override { return target_.deleteFile(path); }
  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override {
    return target_.readMachineValue(name, data);
  }
  MachineValueRead machineValueShape(const std::wstring& name, MachineValueShape& shape) override {
    return target_.machineValueShape(name, shape);
  }
  bool writeMachineValue(const std::wstring& name, const std::string& data) override {
    return target_.writeMachineValue(name, data);
  }
  bool writeMachineTexts(const std::wstring& name,
                         const std::vector<std::wstring>& texts) override {
    return target_.writeMachineTexts(name, texts);
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
  void writeReport(ConsoleStream stream, std::wstring_view text) override {
    target_.writeReport(stream, text);
  }

 private:
  SystemServices& target_;
};

}  // namespace kv
