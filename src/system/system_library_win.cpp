#include "system/system_library_win.h"

#include <string>

namespace kv {
namespace {

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags came together (Windows 8, and
// Windows 7 with KB2533623); where kernel32 lacks the one, LoadLibraryExW refuses the others
// with 87. Looked up, never imported, so that the program still starts without them.
SystemProcedure<decltype(::SetDefaultDllDirectories)> setDefaultDllDirectories() {
  const FARPROC address =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  using Function = decltype(::SetDefaultDllDirectories);
  return {reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(address)),
          static_cast<DWORD>(address != nullptr ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND)};
}

// The system folder, or empty with the last-error value set.
std::wstring systemFolder() {
  const UINT needed = GetSystemDirectoryW(nullptr, 0);  // with the terminator
  if (needed == 0) return {};
  std::wstring folder(needed, L'\0');
  const UINT length = GetSystemDirectoryW(folder.data(), needed);
  if (length == 0 || length >= needed) return {};
  folder.resize(length);
  return folder;
}

HMODULE loadFromSystemFolder(const wchar_t* fileName) {
  if (setDefaultDllDirectories()) {
    return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // A full path loads that file alone; the altered search order takes its imports from its own
  // folder before any other, instead of from the program's.
  const std::wstring folder = systemFolder();
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L"\\" + fileName;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

bool restrictDllSearchToSystemFolder() {
  const auto setDefaults = setDefaultDllDirectories();
  return setDefaults && setDefaults.get()(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(loadFromSystemFolder(fileName)) {
  if (!module_) loadError_ = lastErrorOr(ERROR_MOD_NOT_FOUND);
}

DWORD SystemLibrary::lastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace kv
