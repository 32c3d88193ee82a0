// The installer service on Windows: every operation forwards one to one to msi, which is loaded
// from the system folder only (see system_library_win.h), and to advapi32.
#include <windows.h>
// <msi.h> needs the types of <windows.h>.
#include <msi.h>

#include <cstdint>

#include "products/installer_service.h"
#include "system/system_library_win.h"

namespace kv {
namespace {

static_assert(InstallerService::kSuccess == ERROR_SUCCESS);
static_assert(InstallerService::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(InstallerService::kInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(InstallerService::kInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(InstallerService::kMoreData == ERROR_MORE_DATA);
static_assert(InstallerService::kNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(InstallerService::kUnknownProduct == ERROR_UNKNOWN_PRODUCT);
static_assert(InstallerService::kUnknownProperty == ERROR_UNKNOWN_PROPERTY);
static_assert(InstallerService::kBadConfiguration == ERROR_BAD_CONFIGURATION);
static_assert(InstallerService::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(InstallerService::kMutantQueryState == MUTANT_QUERY_STATE);
static_assert(InstallerService::kStatusInvalidHandle == static_cast<DWORD>(STATUS_INVALID_HANDLE));
static_assert(sizeof(SyncHandle) == sizeof(HANDLE));
static_assert(InstallerService::kRegSz == REG_SZ);
static_assert(InstallerService::kRegExpandSz == REG_EXPAND_SZ);
static_assert(InstallerService::kRegDword == REG_DWORD);
static_assert(InstallerService::kKeyQueryValue == KEY_QUERY_VALUE);
static_assert(InstallerService::kKeyWow64_64 == KEY_WOW64_64KEY);
static_assert(InstallerService::kKeyWow64_32 == KEY_WOW64_32KEY);
// Keys and sizes are passed through unchanged.
static_assert(sizeof(RegistryKey) == sizeof(HKEY));
static_assert(sizeof(DWORD) == sizeof(std::uint32_t) && sizeof(UINT) == sizeof(std::uint32_t));
static_assert(sizeof(LONG) == sizeof(std::int32_t));
static_assert(sizeof(wchar_t) == sizeof(WCHAR));
// HKEY_LOCAL_MACHINE is defined as a cast to HKEY, which no constant expression can read.
// Expanded while HKEY names an integer type, the SDK's own definition becomes a number.
#define HKEY ULONG_PTR
constexpr ULONG_PTR kSdkLocalMachine = HKEY_LOCAL_MACHINE;
#undef HKEY
static_assert(static_cast<std::uintptr_t>(kLocalMachine) == kSdkLocalMachine);

// NtQueryMutant's information class 0 and its record, as ntdll lays them out (the DDK's
// MUTANT_BASIC_INFORMATION: a LONG and two BOOLEANs).
constexpr int kMutantBasicInformation = 0;
struct MutantBasicInformation {
  LONG currentCount;
  BOOLEAN ownedByCaller;
  BOOLEAN abandonedState;
};
static_assert(sizeof(MutantBasicInformation) == 8);
using NtQueryMutantFunction = LONG NTAPI(HANDLE, int, void*, ULONG, ULONG*);

HANDLE asHandle(SyncHandle handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
}

HKEY asHkey(RegistryKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }
DWORD* asDword(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

// Calls an msi function; one that could not be loaded answers with the reason as its result.
template <typename Function, typename... Args>
UINT forward(const SystemProcedure<Function>& procedure, Args... args) {
  return procedure ? procedure.get()(args...) : procedure.missingReason();
}

class WindowsInstallerService final : public InstallerService {
 public:
  std::uint32_t msiEnumProductsW(std::uint32_t index, wchar_t* productCode) override {
    return forward(enumProducts_, index, productCode);
  }

  std::uint32_t msiGetProductInfoW(const wchar_t* product, const wchar_t* property, wchar_t* value,
                                   std::uint32_t* valueChars) override {
    return forward(getProductInfo_, product, property, value, asDword(valueChars));
  }

  std::int32_t regOpenKeyW(RegistryKey root, const wchar_t* subKey, RegistryKey* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyW(asHkey(root), subKey, key != nullptr ? &opened : nullptr);
    if (key != nullptr) {
      *key = result == ERROR_SUCCESS
                 ? static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(opened))
                 : RegistryKey::None;
    }
    return result;
  }

  std::int32_t regOpenKeyExW(RegistryKey root, const wchar_t* subKey, std::uint32_t options,
                             std::uint32_t samDesired, RegistryKey* key) override {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(asHkey(root), subKey, options, samDesired,
                                      key != nullptr ? &opened : nullptr);
    if (key != nullptr) {
      *key = result == ERROR_SUCCESS
                 ? static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(opened))
                 : RegistryKey::None;
    }
    return result;
  }

  std::int32_t regQueryValueExW(RegistryKey key, const wchar_t* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataBytes) override {
    return RegQueryValueExW(asHkey(key), valueName, asDword(reserved), asDword(type), data,
                            asDword(dataBytes));
  }

  std::int32_t regCloseKey(RegistryKey key) override { return RegCloseKey(asHkey(key)); }

  std::uint32_t openMutexW(std::uint32_t desiredAccess, const wchar_t* name,
                           SyncHandle* handle) override {
    const HANDLE opened = OpenMutexW(desiredAccess, FALSE, name);
    const DWORD error = opened == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (handle != nullptr) {
      *handle = static_cast<SyncHandle>(reinterpret_cast<std::uintptr_t>(opened));
    } else if (opened != nullptr) {
      CloseHandle(opened);
    }
    return error;
  }

  std::uint32_t ntQueryMutant(SyncHandle handle, MutantState* state) override {
    if (!queryMutant_) return queryMutant_.missingReason();
    MutantBasicInformation information{};
    ULONG written = 0;
    const LONG status = queryMutant_.get()(asHandle(handle), kMutantBasicInformation, &information,
                                           sizeof information, &written);
    if (status != 0) return static_cast<std::uint32_t>(status);
    if (state != nullptr) {
      *state = {information.currentCount, information.ownedByCaller != FALSE,
                information.abandonedState != FALSE};
    }
    return 0;
  }

  void sleepMilliseconds(std::uint32_t milliseconds) override { Sleep(milliseconds); }

  bool closeHandle(SyncHandle handle) override { return CloseHandle(asHandle(handle)) != FALSE; }

 private:
  // msi.dll is no KnownDLL: imported, it would be looked for beside the program first.
  SystemLibrary msi_{L"msi.dll"};
  SystemProcedure<decltype(::MsiEnumProductsW)> enumProducts_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiEnumProductsW);
  SystemProcedure<decltype(::MsiGetProductInfoW)> getProductInfo_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiGetProductInfoW);
  SystemLibrary ntdll_{L"ntdll.dll"};
  SystemProcedure<NtQueryMutantFunction> queryMutant_ =
      ntdll_.procedure<NtQueryMutantFunction>("NtQueryMutant");
};

}  // namespace

InstallerService& platformInstallerService() {
  static WindowsInstallerService service;
  return service;
}

}  // namespace kv
