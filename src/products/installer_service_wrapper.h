#pragma once

#include "products/installer_service.h"
#include "system/call_ref.h"

namespace kv {

// The installer and registry operations, for wrappers and stand-ins that treat calls by kind.
enum class InstallerOperation {
  EnumProducts,
  GetProductInfo,
  OpenKey,
  OpenKeyEx,
  QueryValue,
  CloseKey,
  OpenMutex,
  QueryMutant,
  Sleep,
  CloseHandle,
};

// Forwards every call to a target installer service, so that a wrapper (one that injects
// failures, one that counts) overrides only what it changes. Every forwarded operation passes
// through pass(); a wrapper that treats all calls alike overrides that alone.
class InstallerServiceWrapper : public InstallerService {
 public:
  explicit InstallerServiceWrapper(InstallerService& target) : target_(target) {}

  std::uint32_t msiEnumProductsW(std::uint32_t index, wchar_t* productCode) override {
    return forward(InstallerOperation::EnumProducts,
                   [&] { return target_.msiEnumProductsW(index, productCode); });
  }
  std::uint32_t msiGetProductInfoW(const wchar_t* product, const wchar_t* property, wchar_t* value,
                                   std::uint32_t* valueChars) override {
    return forward(InstallerOperation::GetProductInfo, [&] {
      return target_.msiGetProductInfoW(product, property, value, valueChars);
    });
  }
  std::int32_t regOpenKeyW(RegistryKey root, const wchar_t* subKey, RegistryKey* key) override {
    return forward(InstallerOperation::OpenKey,
                   [&] { return target_.regOpenKeyW(root, subKey, key); });
  }
  std::int32_t regOpenKeyExW(RegistryKey root, const wchar_t* subKey, std::uint32_t options,
                             std::uint32_t samDesired, RegistryKey* key) override {
    return forward(InstallerOperation::OpenKeyEx,
                   [&] { return target_.regOpenKeyExW(root, subKey, options, samDesired, key); });
  }
  std::int32_t regQueryValueExW(RegistryKey key, const wchar_t* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataBytes) override {
    return forward(InstallerOperation::QueryValue, [&] {
      return target_.regQueryValueExW(key, valueName, reserved, type, data, dataBytes);
    });
  }
  std::int32_t regCloseKey(RegistryKey key) override {
    return forward(InstallerOperation::CloseKey, [&] { return target_.regCloseKey(key); });
  }
  std::uint32_t openMutexW(std::uint32_t desiredAccess, const wchar_t* name,
                           SyncHandle* handle) override {
    return forward(InstallerOperation::OpenMutex,
                   [&] { return target_.openMutexW(desiredAccess, name, handle); });
  }
  std::uint32_t ntQueryMutant(SyncHandle handle, MutantState* state) override {
    return forward(InstallerOperation::QueryMutant,
                   [&] { return target_.ntQueryMutant(handle, state); });
  }
  void sleepMilliseconds(std::uint32_t milliseconds) override {
    pass(InstallerOperation::Sleep, [&] { target_.sleepMilliseconds(milliseconds); });
  }
  bool closeHandle(SyncHandle handle) override {
    return forward(InstallerOperation::CloseHandle, [&] { return target_.closeHandle(handle); });
  }

 protected:
  // Makes one forwarded call of `operation`.
  virtual void pass(InstallerOperation, CallRef call) { call(); }

 private:
  template <typename Call>
  auto forward(InstallerOperation operation, const Call& call) -> decltype(call()) {
    decltype(call()) result{};
    pass(operation, [&] { result = call(); });
    return result;
  }

  InstallerService& target_;
};

}  // namespace kv
