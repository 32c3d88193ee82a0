// The installer service on a system without one: no installed products and an empty registry,
// so that the program runs and finds nothing to uninstall. It answers with the in-memory
// stand-in's codes (tests/standins/installer_memory.h), which a native test compares.
#include <string_view>

#include "products/installer_service.h"
#include "system/handle_numbers.h"

namespace kv {
namespace {

class EmptyInstallerService final : public InstallerService {
 public:
  std::uint32_t msiEnumProductsW(std::uint32_t, wchar_t* productCode) override {
    return productCode == nullptr ? kInvalidParameter : kNoMoreItems;
  }

  std::uint32_t msiGetProductInfoW(const wchar_t* product, const wchar_t* property, wchar_t* value,
                                   std::uint32_t* valueChars) override {
    const bool nullArgument =
        product == nullptr || property == nullptr || (value != nullptr && valueChars == nullptr);
    return nullArgument ? kInvalidParameter : kUnknownProduct;
  }

  // Only the root itself opens (a sub key of nothing but backslashes names it too); every key
  // opened is the root again.
  std::int32_t regOpenKeyW(RegistryKey root, const wchar_t* subKey, RegistryKey* key) override {
    if (key == nullptr) return kInvalidParameter;
    *key = RegistryKey::None;
    if (!isOpen(root)) return kInvalidHandle;
    const std::wstring_view path = subKey != nullptr ? subKey : L"";
    if (path.find_first_not_of(L'\\') != std::wstring_view::npos) return kFileNotFound;
    *key = static_cast<RegistryKey>(keys_.open());
    return kSuccess;
  }

  std::int32_t regOpenKeyExW(RegistryKey root, const wchar_t* subKey, std::uint32_t options,
                             std::uint32_t, RegistryKey* key) override {
    if (options != 0) return kInvalidParameter;
    return regOpenKeyW(root, subKey, key);
  }

  std::int32_t regQueryValueExW(RegistryKey key, const wchar_t*, std::uint32_t* reserved,
                                std::uint32_t*, std::uint8_t* data,
                                std::uint32_t* dataBytes) override {
    if (reserved != nullptr || (data != nullptr && dataBytes == nullptr)) return kInvalidParameter;
    return isOpen(key) ? kFileNotFound : kInvalidHandle;
  }

  // No installer, so no installation holds its mutex.
  std::uint32_t openMutexW(std::uint32_t, const wchar_t* name, SyncHandle* handle) override {
    if (handle != nullptr) *handle = SyncHandle::None;
    return name == nullptr || handle == nullptr ? kInvalidParameter : kFileNotFound;
  }
  std::uint32_t ntQueryMutant(SyncHandle, MutantState*) override { return kStatusInvalidHandle; }
  void sleepMilliseconds(std::uint32_t) override {}
  bool closeHandle(SyncHandle) override { return false; }

  std::int32_t regCloseKey(RegistryKey key) override {
    if (key == kLocalMachine) return kSuccess;
    return keys_.close(static_cast<std::uintptr_t>(key)) ? kSuccess : kInvalidHandle;
  }

 private:
  bool isOpen(RegistryKey key) const {
    return key == kLocalMachine || keys_.isOpen(static_cast<std::uintptr_t>(key));
  }

  HandleNumbers keys_;
};

}  // namespace

InstallerService& platformInstallerService() {
  static EmptyInstallerService installer;
  return installer;
}

}  // namespace kv
