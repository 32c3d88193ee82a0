// Stands in for an installer package's registered uninstaller: a test points the package's
// "UninstallString" here, so the cleaner runs "uninstall_probe.exe /X{code} /Qn". The probe notes
// what it saw while the cleaner waited for it, then removes the package with msiexec, so the
// package really goes. Beside itself it leaves
//   uninstall_probe.log    its command line, whether the silent-mode settings file was there,
//                          the msiexec command and its exit code (UTF-8, "\n" line ends)
//   KVXCLEAN.ini.copy      a byte-for-byte copy of the settings file, when it was there
// While uninstall_probe.wait is beside it, it waits before it removes the package.
// Exit code: that of msiexec; 2 when the command line names no product (only it is logged then).
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "system/utf8.h"
#include "system/win_handles.h"

namespace {

std::wstring ownDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return path.substr(0, path.rfind(L'\\'));
}

std::wstring environmentVariable(const wchar_t* name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

// Runs a command line and waits for it; its exit code, or the error of a failed start.
DWORD runAndWait(std::wstring command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return GetLastError();
  }
  const kv::UniqueProcessHandle process(started.hProcess);
  const kv::UniqueProcessHandle thread(started.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Whatever it was given: planted in a wrong place, the log is the mark that it ran.
  const std::wstring here = ownDirectory();
  std::ofstream record(std::filesystem::path(here + L"\\uninstall_probe.log"),
                       std::ios::binary | std::ios::app);
  record << "command: " << kv::wideToUtf8(GetCommandLineW()) << "\n";
  const std::wstring switchAndCode = argc > 1 ? argv[1] : L"";
  if (!switchAndCode.starts_with(L"/X{")) return 2;

  const std::wstring settings = environmentVariable(L"ALLUSERSPROFILE") + L"\\NOVAX\\KVXCLEAN.ini";
  const bool present = GetFileAttributesW(settings.c_str()) != INVALID_FILE_ATTRIBUTES;
  record << "KVXCLEAN.ini: " << (present ? "present" : "absent") << "\n";
  if (present) CopyFileW(settings.c_str(), (here + L"\\KVXCLEAN.ini.copy").c_str(), FALSE);

  // A slow uninstaller, during which a test stops the cleaner: it waits while uninstall_probe.wait
  // is there (at most two minutes).
  record << std::flush;
  const std::wstring wait = here + L"\\uninstall_probe.wait";
  for (int second = 0; second < 120 && GetFileAttributesW(wait.c_str()) != INVALID_FILE_ATTRIBUTES;
       ++second) {
    Sleep(1000);
  }

  // By its full path: a planted msiexec.exe in the folders searched first must not run.
  std::wstring system(MAX_PATH, L'\0');
  system.resize(GetSystemDirectoryW(system.data(), MAX_PATH));
  const std::wstring uninstall = system + L"\\msiexec.exe /x " + switchAndCode.substr(2) + L" /qn";
  record << kv::wideToUtf8(uninstall) << ": " << std::flush;
  const DWORD exitCode = runAndWait(uninstall);
  record << exitCode << "\n";
  return static_cast<int>(exitCode);
}
