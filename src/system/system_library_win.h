#pragma once

// DLLs that a shipped program loads itself, from the system folder only. Windows looks for a DLL
// that is not one of its KnownDLLs beside the program first, so one planted there (a release
// unpacked into C:\Temp, where users may create files) would run as the administrator. The
// programs therefore import only KnownDLLs and load every other system DLL through this unit.
// Windows only.
#include <windows.h>

#include <type_traits>

#include "system/win_handles.h"

namespace kv {

// Restricts the DLL search of the whole process to the system folder, for the DLLs that system
// DLLs load later by name. Call it first thing in a program's entry. Returns false where Windows
// lacks SetDefaultDllDirectories (Windows 7 without KB2533623): the process then keeps the
// standard search, and only the DLLs loaded through SystemLibrary are sure to be the system's.
bool restrictDllSearchToSystemFolder();

// A function of a SystemLibrary with the type of its SDK declaration (Function is
// decltype(SdkFunction)), or the last-error code that says why it is missing.
template <typename Function>
class SystemProcedure {
  static_assert(std::is_function_v<Function>);

 public:
  SystemProcedure(Function* address, DWORD missingReason)
      : address_(address), missingReason_(missingReason) {}

  explicit operator bool() const { return address_ != nullptr; }
  Function* get() const { return address_; }
  // Of a missing function: the failed load's or lookup's last-error code (126, 127 …), never 0,
  // so that a caller that returns it as a result code never reports success.
  DWORD missingReason() const { return missingReason_; }

 private:
  Function* address_;
  DWORD missingReason_;
};

// A system DLL, loaded for the lifetime of the object and freed with it.
class SystemLibrary {
 public:
  // Loads `fileName`, a bare name such as L"msi.dll", and the DLLs it imports from the system
  // folder only. On failure the library holds nothing and every procedure of it is missing for
  // the load's last-error code.
  explicit SystemLibrary(const wchar_t* fileName);

  template <typename Function>
  SystemProcedure<Function> procedure(const char* name) const {
    if (!module_) return {nullptr, loadError_};
    const FARPROC address = GetProcAddress(module_.get(), name);
    if (address == nullptr) return {nullptr, lastErrorOr(ERROR_PROC_NOT_FOUND)};
    // Through the generic function pointer type, which GCC lets stand for any function type.
    return {reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(address)), ERROR_SUCCESS};
  }

 private:
  static DWORD lastErrorOr(DWORD fallback);

  UniqueModule module_;
  DWORD loadError_ = ERROR_SUCCESS;
};

}  // namespace kv

// The SDK function `function` of `library`, looked up by its own name and typed by its own
// declaration, so that name and type cannot disagree. Naming it in decltype imports nothing.
#define KV_SYSTEM_PROCEDURE(library, function) (library).procedure<decltype(::function)>(#function)
