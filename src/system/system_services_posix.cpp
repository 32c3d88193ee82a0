// POSIX implementation of the system services, for the native build. Text in the "ANSI code
// page" is UTF-8 here, the encoding of every current Linux system.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "system/environment_text.h"
#include "system/multi_string.h"
#include "system/posix_path.h"
#include "system/system_services.h"
#include "system/utf8.h"

namespace kv {
namespace {

constexpr size_t kTextRoom = 4096;

// No other process shares the native build's locks: they exclude within this process. The file
// goes with the lock, as the Windows one does when its handle closes.
class ProcessLock final : public MachineLock {
 public:
  ProcessLock(std::set<std::wstring>& held, std::wstring name)
      : held_(held), name_(std::move(name)) {}
  ~ProcessLock() override {
    ::unlink(toPosixPath(name_).c_str());
    held_.erase(name_);
  }

 private:
  std::set<std::wstring>& held_;
  std::wstring name_;
};

class PosixSystemServices final : public SystemServices {
 public:
  std::optional<std::wstring> environmentVariable(const std::wstring& name) override {
    const char* value = std::getenv(wideToUtf8(name).c_str());
    if (value == nullptr || *value == '\0') return std::nullopt;
    std::wstring wide = utf8ToWide(value);
    if (wide.size() >= kTextRoom) return std::nullopt;
    return wide;
  }

  std::wstring computerName() override {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::wstring();
    std::wstring wide = utf8ToWide(name);
    // NetBIOS names are upper case; so is what the cleaner writes on Windows.
    for (wchar_t& c : wide) {
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return wide;
  }

  LocalTime localTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  }

  LocalTime universalTime() override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  }

  std::uint64_t millisecondsSinceStart() override {
    timespec since{};
    if (clock_gettime(CLOCK_BOOTTIME, &since) != 0) return 0;
    return static_cast<std::uint64_t>(since.tv_sec) * 1000 +
           static_cast<std::uint64_t>(since.tv_nsec) / 1000000;
  }

  // English (United States), the language of a system without a locale of its own.
  std::uint32_t systemDefaultLocaleId() override { return 0x409; }

  std::wstring ansiToWide(std::string_view text) override { return utf8ToWide(text); }
  std::string wideToAnsi(std::wstring_view text) override { return wideToUtf8(text); }

  std::optional<std::wstring> expandEnvironmentStrings(const std::wstring& text) override {
    return expandPercentNames(text, [](const std::wstring& name) -> std::optional<std::wstring> {
      const char* value = std::getenv(wideToUtf8(name).c_str());
      if (value == nullptr) return std::nullopt;
      return utf8ToWide(value);
    });
  }

  std::wstring systemDirectory() override { return std::wstring(); }
  std::optional<std::wstring> nativePrintEnvironment() override { return std::nullopt; }
  bool runsAsLocalSystem() override { return false; }
  bool hasInteractiveWindowStation() override { return true; }

  FileLockAttempt tryFileLock(const std::wstring& path) override {
    if (heldLocks_.contains(path)) return {nullptr, FileLockFound::HeldByOurs};
    const std::string file = toPosixPath(path);
    constexpr int kFlags = O_WRONLY | O_NOFOLLOW | O_CLOEXEC;
    int descriptor = ::open(file.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
    const bool made = descriptor >= 0;
    if (!made && errno == EEXIST) descriptor = ::open(file.c_str(), kFlags);
    if (descriptor < 0) return {nullptr, FileLockFound::Failed};
    ::close(descriptor);
    heldLocks_.insert(path);
    return {std::make_unique<ProcessLock>(heldLocks_, path),
            made ? FileLockFound::Made : FileLockFound::TakenOver};
  }

  ProcessAccount processAccount() override {
    const passwd* user = ::getpwuid(::geteuid());
    return ProcessAccount{user != nullptr ? utf8ToWide(user->pw_name) : std::wstring(),
                          L"uid " + std::to_wstring(::geteuid()), false, ::geteuid() == 0};
  }

  std::wstring windowsVersion() override {
    utsname system{};
    return ::uname(&system) == 0 ? utf8ToWide(system.release) : std::wstring();
  }

  MachineKind nativeMachine() override { return kProgramMachine; }

  bool callerIsAdministrator() override { return ::geteuid() == 0; }

  std::wstring ownProgramPath() override {
    char path[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? utf8ToWide(std::string(path, static_cast<size_t>(length))) : L"";
  }

  // lstat, as Windows' GetFileAttributesW: a link that leads nowhere is present all the same.
  bool pathExists(const std::wstring& path) override {
    struct stat info {};
    return !path.empty() && ::lstat(toPosixPath(path).c_str(), &info) == 0;
  }

  bool fileExists(const std::wstring& path) override {
    struct stat info {};
    return !path.empty() && ::stat(toPosixPath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  bool createDirectory(const std::wstring& path) override {
    return ::mkdir(toPosixPath(path).c_str(), 0777) == 0;
  }

  bool createProtectedDirectory(const std::wstring& path) override {
    return ::mkdir(toPosixPath(path).c_str(), 0755) == 0;
  }

  bool isReparsePoint(const std::wstring& path) override {
    struct stat info {};
    if (::lstat(toPosixPath(path).c_str(), &info) != 0) return errno != ENOENT && errno != ENOTDIR;
    return S_ISLNK(info.st_mode);
  }

  bool deleteFile(const std::wstring& path) override {
    return ::unlink(toPosixPath(path).c_str()) == 0;
  }

  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override {
    const auto found = machineValues_.find(name);
    if (found == machineValues_.end()) return MachineValueRead::Missing;
    data = found->second;
    return MachineValueRead::Read;
  }

  MachineValueRead machineValueShape(const std::wstring& name, MachineValueShape& shape) override {
    const auto found = machineValues_.find(name);
    if (found == machineValues_.end()) return MachineValueRead::Missing;
    shape.type = textValues_.contains(name) ? MachineValueType::Texts : MachineValueType::Binary;
    shape.size = found->second.size();
    return MachineValueRead::Read;
  }

  bool writeMachineValue(const std::wstring& name, const std::string& data) override {
    machineValues_[name] = data;
    textValues_.erase(name);
    return true;
  }

  bool writeMachineTexts(const std::wstring& name,
                         const std::vector<std::wstring>& texts) override {
    machineValues_[name] = multiStringBytes(texts);
    textValues_.insert(name);
    return true;
  }

  bool deleteMachineValue(const std::wstring& name) override {
    machineValues_.erase(name);
    textValues_.erase(name);
    return true;
  }

  // No window system is assumed: the box is written to standard error and counts as closed.
  int messageBox(const std::wstring& text, const std::wstring& caption, std::uint32_t) override {
    writeConsole(ConsoleStream::Err, L"[" + caption + L"] " + text + L"\n");
    return 1;
  }

  void writeConsole(ConsoleStream stream, std::wstring_view text) override {
    std::FILE* file = stream == ConsoleStream::Out ? stdout : stderr;
    const std::string bytes = wideToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
  }

  // UTF-8 both ways; a closed stream's failure is left to the stream (SIGPIPE is the caller's).
  void writeReport(ConsoleStream stream, std::wstring_view text) override {
    writeConsole(stream, text);
  }

 private:
  std::map<std::wstring, std::string> machineValues_;
  std::set<std::wstring> textValues_;
  std::set<std::wstring> heldLocks_;
};

}  // namespace

SystemServices& platformSystemServices() {
  static PosixSystemServices services;
  return services;
}

}  // namespace kv
