#pragma once

#include <cstdint>
#include <string_view>

#include "system/scoped_instance.h"

namespace kv {

// A registry key as the registry calls hand it out (an HKEY on Windows); opaque to callers.
enum class RegistryKey : std::uintptr_t { None = 0 };

// The predefined key HKEY_LOCAL_MACHINE: always open, never needs closing. Its value is the
// SDK's, (HKEY)(ULONG_PTR)(LONG)0x80000002, so the Windows implementation passes it through.
inline constexpr RegistryKey kLocalMachine = static_cast<RegistryKey>(static_cast<std::uintptr_t>(
    static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u))));

// A kernel object handle as the synchronisation calls hand it out; opaque to callers.
enum class SyncHandle : std::uintptr_t { None = 0 };

// A mutex's state as ntdll's NtQueryMutant reads it (MUTANT_BASIC_INFORMATION).
struct MutantState {
  std::int32_t currentCount = 0;  // 1: no thread owns it; 0 or less: a thread does
  bool ownedByCaller = false;     // the calling thread is that owner
  bool abandoned = false;         // its last owner ended without releasing it
};

// The mutex the installer service holds while it carries out an installation or removal.
inline constexpr wchar_t kInstallerExecuteMutex[] = L"Global\\_MSIExecute";

// The key below kLocalMachine that holds one subkey per installed program, named by its
// product code for installer packages.
inline constexpr std::wstring_view kUninstallKeyPath =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The installer service and registry calls the product discovery makes, in their Win32 shape:
// the same arguments, the same caller-owned buffers with sizes in and needed sizes out, and the
// same result codes, which every call returns itself (UINT for the installer, LONG for the
// registry; there is no last-error value). One implementation forwards to msi and advapi32; the
// in-memory installer serves the tests. Members are named after the W functions in lower camel
// case, because the plain names are macros in <windows.h>.
class InstallerService {
 public:
  // Result codes the cleaner and its tests name (the Win32 values).
  static constexpr std::uint32_t kSuccess = 0;              // ERROR_SUCCESS
  static constexpr std::uint32_t kFileNotFound = 2;         // ERROR_FILE_NOT_FOUND
  static constexpr std::uint32_t kInvalidHandle = 6;        // ERROR_INVALID_HANDLE
  static constexpr std::uint32_t kInvalidParameter = 87;    // ERROR_INVALID_PARAMETER
  static constexpr std::uint32_t kMoreData = 234;           // ERROR_MORE_DATA
  static constexpr std::uint32_t kNoMoreItems = 259;        // ERROR_NO_MORE_ITEMS
  static constexpr std::uint32_t kUnknownProduct = 1605;    // ERROR_UNKNOWN_PRODUCT
  static constexpr std::uint32_t kUnknownProperty = 1608;   // ERROR_UNKNOWN_PROPERTY
  static constexpr std::uint32_t kBadConfiguration = 1610;  // ERROR_BAD_CONFIGURATION
  static constexpr std::uint32_t kAccessDenied = 5;         // ERROR_ACCESS_DENIED

  // The right a mutex is opened with to read its state, and the NTSTATUS codes of that read.
  static constexpr std::uint32_t kMutantQueryState = 0x0001;         // MUTANT_QUERY_STATE
  static constexpr std::uint32_t kStatusAccessDenied = 0xC0000022;   // STATUS_ACCESS_DENIED
  static constexpr std::uint32_t kStatusInvalidHandle = 0xC0000008;  // STATUS_INVALID_HANDLE

  // Registry value types.
  static constexpr std::uint32_t kRegSz = 1;        // REG_SZ
  static constexpr std::uint32_t kRegExpandSz = 2;  // REG_EXPAND_SZ
  static constexpr std::uint32_t kRegDword = 4;     // REG_DWORD

  // Access rights and registry views for regOpenKeyExW.
  static constexpr std::uint32_t kKeyQueryValue = 0x0001;  // KEY_QUERY_VALUE
  static constexpr std::uint32_t kKeyWow64_64 = 0x0100;    // KEY_WOW64_64KEY
  static constexpr std::uint32_t kKeyWow64_32 = 0x0200;    // KEY_WOW64_32KEY

  // Room for a product code: a brace-enclosed GUID of 38 characters and the terminator.
  static constexpr std::uint32_t kProductCodeChars = 39;

  virtual ~InstallerService() = default;

  // MsiEnumProductsW. Writes the code of the installed product at `index` (0, 1, 2 … in the
  // service's own order) with its terminator into `productCode`, which must hold
  // kProductCodeChars characters. Returns 0; 259 when `index` is past the last product; 87 for
  // a null buffer (and, on Windows, for an index that does not follow the previous call's);
  // 1610 or another code when the service cannot answer.
  virtual std::uint32_t msiEnumProductsW(std::uint32_t index, wchar_t* productCode) = 0;

  // MsiGetProductInfoW. `*valueChars` is the room of `value` in characters, terminator
  // included. Returns 0 with the property's text and terminator in `value` and its length
  // (without terminator) in `*valueChars`; with a null `value` returns 0 and only sets the
  // length. A text that does not fit returns 234 and sets `*valueChars` to its length (without
  // terminator); `value` is then undefined (Wine and the in-memory installer leave it alone),
  // but never written past its room. 1605: no such product; 1608: an unknown property (Wine
  // answers 0 with empty text for a standard property the package did not set); 87: a null
  // argument that must not be null.
  virtual std::uint32_t msiGetProductInfoW(const wchar_t* product, const wchar_t* property,
                                           wchar_t* value, std::uint32_t* valueChars) = 0;

  // RegOpenKeyW. Opens `subKey` below `root` (kLocalMachine or a key this service opened; an
  // empty or null `subKey` opens `root` again) and sets `*key`; the caller closes it with
  // regCloseKey. Returns 0; 2 when the key does not exist; 6 for a `root` that is not open;
  // 87 for a null `key`. On failure `*key` is RegistryKey::None.
  virtual std::int32_t regOpenKeyW(RegistryKey root, const wchar_t* subKey, RegistryKey* key) = 0;

  // RegOpenKeyExW. As regOpenKeyW, with the access `samDesired` asks for (kKeyQueryValue) and
  // the registry view it names: kKeyWow64_32 the 32-bit programs' view (below HKLM\SOFTWARE that
  // is SOFTWARE\WOW6432Node on 64-bit Windows), kKeyWow64_64 the 64-bit programs' view, neither
  // the caller's own. 32-bit Windows ignores both flags. `options` must be 0 (87 otherwise).
  virtual std::int32_t regOpenKeyExW(RegistryKey root, const wchar_t* subKey, std::uint32_t options,
                                     std::uint32_t samDesired, RegistryKey* key) = 0;

  // RegQueryValueExW. `reserved` must be null. `*dataBytes` is the room of `data` in bytes.
  // Returns 0 with the value's type in `*type` (when not null), its bytes in `data` and their
  // count in `*dataBytes`; with a null `data` returns 0 and only sets the count. Data that does
  // not fit returns 234 and sets `*dataBytes` to the size needed; `data` is then undefined
  // (the in-memory installer leaves it alone), but never written past its room. 2: the key has
  // no such value; 6: `key` is not open; 87: a null `dataBytes` with a buffer, or a non-null
  // `reserved`. Text values are UTF-16 units, with a terminator when their writer stored one.
  virtual std::int32_t regQueryValueExW(RegistryKey key, const wchar_t* valueName,
                                        std::uint32_t* reserved, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataBytes) = 0;

  // RegCloseKey. Returns 0; 6 for a key that is not open. Closing kLocalMachine does nothing
  // and returns 0.
  virtual std::int32_t regCloseKey(RegistryKey key) = 0;

  // OpenMutexW, handle not inherited. Returns 0 and sets `*handle`, which the caller closes with
  // closeHandle; else the error (2: no such mutex, 5: `desiredAccess` not granted) and
  // SyncHandle::None. Reading the state needs kMutantQueryState, which is all the cleaner asks
  // for: without SYNCHRONIZE it cannot wait on the mutex, so it can never own it.
  virtual std::uint32_t openMutexW(std::uint32_t desiredAccess, const wchar_t* name,
                                   SyncHandle* handle) = 0;

  // NtQueryMutant with MutantBasicInformation: reads the mutex's state without waiting on it.
  // Returns 0 (STATUS_SUCCESS) and fills `*state`; else the NTSTATUS (kStatusAccessDenied for a
  // handle without kMutantQueryState, kStatusInvalidHandle) or, where ntdll has no such function,
  // the lookup's error (127). ntdll exports it on every Windows NT; the function is not in the
  // SDK, so it is looked up by name.
  virtual std::uint32_t ntQueryMutant(SyncHandle handle, MutantState* state) = 0;

  // Sleep: lets `milliseconds` pass before the next look.
  virtual void sleepMilliseconds(std::uint32_t milliseconds) = 0;

  // CloseHandle; false for a handle that is not open.
  virtual bool closeHandle(SyncHandle handle) = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static InstallerService& current();
};

// The platform's own installer service: msi.dll from the system folder and advapi32 on Windows,
// where an msi operation whose function cannot be loaded returns the load's error (126: no such
// DLL, 127: no such function). The native build has none and answers as an installer with nothing
// installed (installer_service_posix.cpp).
InstallerService& platformInstallerService();

// Installs another instance as InstallerService::current() for the lifetime of the scope.
using ScopedInstallerService = ScopedInstance<InstallerService>;

}  // namespace kv
