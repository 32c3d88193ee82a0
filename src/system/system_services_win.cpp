// Windows implementation of the system services.
#include <windows.h>
// <sddl.h> needs the types of <windows.h>.
#include <sddl.h>
// <aclapi.h> too.
#include <aclapi.h>

#include <cwchar>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/multi_string.h"
#include "system/print_environment_win.h"
#include "system/process_account_win.h"
#include "system/report_output_win.h"
#include "system/system_library_win.h"
#include "system/system_services.h"
#include "system/win_handles.h"

namespace kv {
namespace {

constexpr DWORD kTextRoom = 4096;

// The cleaner's folders below the all-users profile: a protected DACL, so that nothing is
// inherited from C:\ProgramData (whose ACL lets every user create entries and own them); full
// control for SYSTEM and BUILTIN\Administrators, read & execute for BUILTIN\Users, the readers
// of C:\ProgramData itself. Files and folders made inside inherit the same entries.
constexpr wchar_t kAdministratorsOnlyWrite[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

constexpr wchar_t kMachineValuesSubkey[] = L"SOFTWARE\\NOVAX\\kvcleaner";
// The 64-bit view from a 32-bit process too; 32-bit Windows ignores the flag.
constexpr REGSAM kMachineView = KEY_WOW64_64KEY;

// A value that changes between the sizing and the reading call is asked again this often.
constexpr int kValueReadAttempts = 4;

struct LocalMemory {
  void operator()(void* memory) const { LocalFree(memory); }
};

// Windows' own version. GetVersionExW answers with the newest version the program's manifest
// names (Windows 10 there, also for 11, whose version is 10.0 too); RtlGetVersion, which ntdll
// has exported since Windows 2000, answers without regard to the manifest and is asked first.
std::wstring readWindowsVersion() {
  using RtlGetVersionFunction = LONG WINAPI(OSVERSIONINFOW*);
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  const SystemLibrary ntdll(L"ntdll.dll");
  const auto rtlGetVersion = ntdll.procedure<RtlGetVersionFunction>("RtlGetVersion");
  // RtlGetVersion answers STATUS_SUCCESS (0).
  if (!(rtlGetVersion && rtlGetVersion.get()(&version) == 0) && !GetVersionExW(&version)) {
    return std::wstring();
  }
  return std::to_wstring(version.dwMajorVersion) + L"." + std::to_wstring(version.dwMinorVersion) +
         L"." + std::to_wstring(version.dwBuildNumber);
}

// A lock file that the system and administrators, in any session, may open; nobody else. Owned by
// BUILTIN\Administrators, which a standard user cannot set, so that a file held open can be told
// from one a user made before the folder was protected.
constexpr wchar_t kLockFileSecurity[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

// Between a failed open and the look at the owner the holder may let go: tried again this often.
constexpr int kLockAttempts = 3;
constexpr DWORD kLockRetryMilliseconds = 20;

// A lock file held open without sharing; the system deletes it when the handle closes.
class FileHandleLock final : public MachineLock {
 public:
  explicit FileHandleLock(UniqueFileHandle file) : file_(std::move(file)) {}

 private:
  UniqueFileHandle file_;
};

// SYSTEM, BUILTIN\Administrators or this process's own account.
bool isOursOwner(PSID owner) {
  if (owner == nullptr || !IsValidSid(owner)) return false;
  if (IsWellKnownSid(owner, WinLocalSystemSid) ||
      IsWellKnownSid(owner, WinBuiltinAdministratorsSid)) {
    return true;
  }
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(owner, &text)) return false;
  const std::unique_ptr<void, LocalMemory> held(text);
  const std::wstring own = processAccountSid();
  return !own.empty() && own == text;
}

// Whose is the lock file another holds open: its owner, read with READ_CONTROL alone, which the
// holder's sharing does not refuse. nullopt when the file is gone meanwhile.
std::optional<FileLockFound> lockHolder(const std::wstring& path) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR raw = nullptr;
  const DWORD status =
      GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &raw);
  const std::unique_ptr<void, LocalMemory> descriptor(raw);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS) return FileLockFound::HeldByStranger;
  return isOursOwner(owner) ? FileLockFound::HeldByOurs : FileLockFound::HeldByStranger;
}

class WindowsSystemServices final : public SystemServices {
  // The machine value `name` with `data` as its bytes, the key made when missing.
  static bool writeValueOfType(const std::wstring& name, DWORD type, const std::string& data) {
    if (data.size() > MAXDWORD) return false;
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineValuesSubkey, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kMachineView, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    return RegSetValueExW(key.get(), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }

 public:
  std::optional<std::wstring> environmentVariable(const std::wstring& name) override {
    std::vector<wchar_t> buffer(kTextRoom);
    const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), kTextRoom);
    // 0: not set or empty; kTextRoom or more: did not fit, treated as not set.
    if (length == 0 || length >= kTextRoom) return std::nullopt;
    return std::wstring(buffer.data(), length);
  }

  std::wstring computerName() override {
    std::vector<wchar_t> buffer(kTextRoom);
    DWORD size = kTextRoom;
    if (!GetComputerNameW(buffer.data(), &size)) return std::wstring();
    return std::wstring(buffer.data(), size);
  }

  LocalTime localTime() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }

  LocalTime universalTime() override {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }

  std::uint64_t millisecondsSinceStart() override { return GetTickCount64(); }

  std::uint32_t systemDefaultLocaleId() override { return GetSystemDefaultLCID(); }

  std::wstring ansiToWide(std::string_view text) override {
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
  }

  std::string wideToAnsi(std::wstring_view text) override {
    if (text.empty()) return std::string();
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
  }

  std::optional<std::wstring> expandEnvironmentStrings(const std::wstring& text) override {
    // The size needed, terminator included, is known after one call; a variable that changes
    // between the calls may need one more.
    std::vector<wchar_t> buffer(text.size() + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
      const DWORD needed =
          ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
      if (needed == 0) return std::nullopt;
      if (needed <= buffer.size())
        return std::wstring(buffer.data(), wcsnlen(buffer.data(), needed));
      buffer.resize(needed);
    }
    return std::nullopt;
  }

  std::wstring systemDirectory() override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
      // The length without terminator, or the room needed with it when the buffer is too small.
      const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
      if (length == 0) return std::wstring();
      if (length < buffer.size()) return std::wstring(buffer.data(), length);
      buffer.resize(length);
    }
    return std::wstring();
  }

  std::optional<std::wstring> nativePrintEnvironment() override {
    return wow64NativePrintEnvironment();
  }

  bool runsAsLocalSystem() override { return processRunsAsLocalSystem(); }

  ProcessAccount processAccount() override {
    return ProcessAccount{processAccountName(), processAccountSid(), processRunsAsLocalSystem(),
                          processRunsElevated()};
  }

  std::wstring windowsVersion() override { return readWindowsVersion(); }

  MachineKind nativeMachine() override { return nativeMachineKind(); }

  bool hasInteractiveWindowStation() override {
    // The handle belongs to the process and is not closed.
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (station == nullptr ||
        !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) {
      return false;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
  }

  FileLockAttempt tryFileLock(const std::wstring& path) override {
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockFileSecurity, SDDL_REVISION_1,
                                                              &raw, nullptr)) {
      return {};
    }
    const std::unique_ptr<void, LocalMemory> descriptor(raw);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
      // DELETE, which FILE_FLAG_DELETE_ON_CLOSE needs; no sharing, so that nobody else opens it
      // for reading, writing or deleting while it is held.
      UniqueFileHandle file(CreateFileW(
          path.c_str(), GENERIC_READ | DELETE, 0, &attributes, OPEN_ALWAYS,
          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
          nullptr));
      const DWORD error = GetLastError();
      if (file) {
        const FileLockFound found =
            error == ERROR_ALREADY_EXISTS ? FileLockFound::TakenOver : FileLockFound::Made;
        return {std::make_unique<FileHandleLock>(std::move(file)), found};
      }
      // A lock file whose holder has just let go refuses opens until it is deleted.
      if (error == ERROR_ACCESS_DENIED) {
        Sleep(kLockRetryMilliseconds);
        continue;
      }
      if (error != ERROR_SHARING_VIOLATION) return {};
      if (const std::optional<FileLockFound> holder = lockHolder(path)) return {nullptr, *holder};
    }
    return {};
  }

  bool callerIsAdministrator() override { return processIsAdministrator(); }

  std::wstring ownProgramPath() override {
    // A path that does not fit is cut by the call, with ERROR_INSUFFICIENT_BUFFER: try larger.
    for (DWORD room = MAX_PATH; room <= 32768; room *= 2) {
      std::wstring path(room, L'\0');
      const DWORD length = GetModuleFileNameW(nullptr, path.data(), room);
      if (length == 0) return L"";
      if (length < room) return path.substr(0, length);
    }
    return L"";
  }

  bool pathExists(const std::wstring& path) override {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool fileExists(const std::wstring& path) override {
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool createDirectory(const std::wstring& path) override {
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
  }

  bool createProtectedDirectory(const std::wstring& path) override {
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnlyWrite,
                                                              SDDL_REVISION_1, &raw, nullptr)) {
      return false;
    }
    const std::unique_ptr<void, LocalMemory> descriptor(raw);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return CreateDirectoryW(path.c_str(), &attributes) != 0;
  }

  bool isReparsePoint(const std::wstring& path) override {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

  bool deleteFile(const std::wstring& path) override { return DeleteFileW(path.c_str()) != 0; }

  MachineValueRead readMachineValue(const std::wstring& name, std::string& data) override {
    UniqueRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineValuesSubkey, 0,
                                   KEY_QUERY_VALUE | kMachineView, key.put());
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < kValueReadAttempts; ++attempt) {
      DWORD size = 0;
      status = RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size);
      if (status != ERROR_SUCCESS) break;
      std::string bytes;
      try {
        bytes.resize(size);
      } catch (const std::bad_alloc&) {
        return MachineValueRead::Failed;
      }
      status = RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                                reinterpret_cast<BYTE*>(bytes.data()), &size);
      if (status == ERROR_MORE_DATA) {
        status = ERROR_SUCCESS;
        continue;
      }
      if (status != ERROR_SUCCESS) break;
      bytes.resize(size);
      data = std::move(bytes);
      return MachineValueRead::Read;
    }
    if (status == ERROR_ACCESS_DENIED) return MachineValueRead::Denied;
    return status == ERROR_FILE_NOT_FOUND ? MachineValueRead::Missing : MachineValueRead::Failed;
  }

  MachineValueRead machineValueShape(const std::wstring& name, MachineValueShape& shape) override {
    UniqueRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineValuesSubkey, 0,
                                   KEY_QUERY_VALUE | kMachineView, key.put());
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (status == ERROR_SUCCESS) {
      status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    }
    if (status == ERROR_SUCCESS) {
      shape.type = type == REG_BINARY     ? MachineValueType::Binary
                   : type == REG_MULTI_SZ ? MachineValueType::Texts
                                          : MachineValueType::Other;
      shape.size = size;
      return MachineValueRead::Read;
    }
    if (status == ERROR_ACCESS_DENIED) return MachineValueRead::Denied;
    return status == ERROR_FILE_NOT_FOUND ? MachineValueRead::Missing : MachineValueRead::Failed;
  }

  bool writeMachineValue(const std::wstring& name, const std::string& data) override {
    return writeValueOfType(name, REG_BINARY, data);
  }

  bool writeMachineTexts(const std::wstring& name,
                         const std::vector<std::wstring>& texts) override {
    return writeValueOfType(name, REG_MULTI_SZ, multiStringBytes(texts));
  }

  bool deleteMachineValue(const std::wstring& name) override {
    UniqueRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineValuesSubkey, 0,
                                   KEY_SET_VALUE | KEY_QUERY_VALUE | kMachineView, key.put());
    if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), name.c_str());
    if (status == ERROR_SUCCESS) removeEmptyMachineKey(key.get());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  // The cleaner's key goes with its last value; the maker's key above it is not ours. A key that
  // still holds anything, or whose counts cannot be read, stays.
  static void removeEmptyMachineKey(HKEY key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0 || values != 0) {
      return;
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kMachineValuesSubkey, kMachineView, 0);
  }

  int messageBox(const std::wstring& text, const std::wstring& caption,
                 std::uint32_t style) override {
    const int result = MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
    return result == 0 ? -1 : result;
  }

  void writeConsole(ConsoleStream stream, std::wstring_view text) override {
    if (text.empty()) return;
    HANDLE handle =
        GetStdHandle(stream == ConsoleStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
      // A real console shows every character when given wide text.
      WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      return;
    }
    // Redirected to a file or pipe: ANSI bytes with CRLF line ends, as the log files.
    std::string bytes;
    for (const char c : wideToAnsi(text)) {
      if (c == '\n') bytes.push_back('\r');
      bytes.push_back(c);
    }
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  void writeReport(ConsoleStream stream, std::wstring_view text) override {
    writeReportTo(GetStdHandle(stream == ConsoleStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                  text);
  }
};

}  // namespace

SystemServices& platformSystemServices() {
  static WindowsSystemServices services;
  return services;
}

}  // namespace kv
