// A child for the process runner's tests under Wine. Its arguments are steps, done in order:
//   pid <file>     writes its process id, in decimal, to <file>
//   cwd <file>     writes its current directory, in UTF-8, to <file>
//   sleep <ms>     sleeps
//   touch <file>   creates <file>
//   exit <code>    ends at once with <code>, an unsigned decimal number
//   show -         ends at once with 1000 + wShowWindow of its STARTUPINFO when that asks for
//                  STARTF_USESHOWWINDOW, else with 999
//   handle <value> ends at once with GetHandleInformation's error for that handle, 0 if valid
// After the last step it ends with 0; an unknown step ends it with 2.
#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void writeText(const wchar_t* path, const std::string& text) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

std::string currentDirectoryUtf8() {
  std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
  directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, directory.data(), static_cast<int>(directory.size()), nullptr,
                          0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, directory.data(), static_cast<int>(directory.size()), text.data(),
                      size, nullptr, nullptr);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring step = argv[i];
    const wchar_t* value = argv[i + 1];
    if (step == L"pid") {
      writeText(value, std::to_string(GetCurrentProcessId()));
    } else if (step == L"cwd") {
      writeText(value, currentDirectoryUtf8());
    } else if (step == L"sleep") {
      Sleep(std::wcstoul(value, nullptr, 10));
    } else if (step == L"touch") {
      writeText(value, "");
    } else if (step == L"show") {
      STARTUPINFOW startup{};
      GetStartupInfoW(&startup);
      ExitProcess(startup.dwFlags & STARTF_USESHOWWINDOW ? 1000 + startup.wShowWindow : 999);
    } else if (step == L"handle") {
      DWORD flags = 0;
      const auto handle = reinterpret_cast<HANDLE>(std::wcstoull(value, nullptr, 10));
      ExitProcess(GetHandleInformation(handle, &flags) ? 0 : GetLastError());
    } else if (step == L"exit") {
      ExitProcess(std::wcstoul(value, nullptr, 10));
    } else {
      return 2;
    }
  }
  return 0;
}
