#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "products/installer_service_wrapper.h"
#include "standins/fault_plan.h"

namespace kv {

// An installer service and registry held in memory that honour the Win32 contract of
// InstallerService: caller-owned buffers, 234 with the needed size when they are too small,
// and nothing written past the room given. Tests fill it, make calls fail and read the calls.
//
// Codes it gives: 259 past the last product; 87 for a null argument that must not be null;
// 1605 for a product it does not hold; 1608 for a property the product does not have (a
// missing "Publisher" included); 2 for opening a key that does not exist or querying a value
// the key does not have; 6 for a key that is not open; 234 for text or data that does not fit.
// Registry key paths are compared without regard to letter case (ASCII), as the registry
// does; product codes and property names exactly.
class MemoryInstaller : public InstallerService {
 public:
  struct Product {
    std::wstring code;
    std::map<std::wstring, std::wstring> properties;  // "Publisher", "ProductName", …
  };

  // A registry value as the registry holds it: a type and bytes.
  struct RegistryValue {
    std::uint32_t type = kRegSz;
    std::vector<std::uint8_t> data;
  };
  // Text as the registry stores it: UTF-16 units, with a terminator unless told otherwise.
  static RegistryValue textValue(std::wstring_view text, std::uint32_t type = kRegSz,
                                 bool terminated = true);

  // Products, in the order the enumeration lists them.
  void addProduct(Product product) { products_.push_back(std::move(product)); }
  const std::vector<Product>& products() const { return products_; }
  // The key kUninstallKeyPath + `code` with its values; with `view32`, in the 32-bit programs'
  // view (SOFTWARE\WOW6432Node\…), which regOpenKeyW does not see: the in-memory installer plays
  // a 64-bit program on 64-bit Windows.
  void addUninstallEntry(const std::wstring& code, std::map<std::wstring, RegistryValue> values,
                         bool view32 = false);
  bool hasUninstallEntry(const std::wstring& code) const;
  // Takes away the product and its uninstall entry, as its uninstaller would. False when there
  // was neither.
  bool removeProduct(const std::wstring& code);

  // The next `passing` calls of `operation` run as usual; the one after them returns `code`
  // and changes nothing. Once only.
  void failNext(InstallerOperation operation, std::uint32_t code, int passing = 0);
  // Every call of `operation` returns `code` until stopFailing.
  void failAlways(InstallerOperation operation, std::uint32_t code);
  void stopFailing(InstallerOperation operation);
  // Every enumeration call for `index` returns `code` (an error in the middle of a listing),
  // until stopFailing(InstallerOperation::EnumProducts).
  void failEnumerationAt(std::uint32_t index, std::uint32_t code);

  // Another installation holds the installer's mutex (kInstallerExecuteMutex) for `milliseconds`
  // more of sleeping: each sleepMilliseconds takes that much off. The mutex exists from the first
  // call on, as it does on Windows once the service has run.
  void holdExecuteMutex(std::uint32_t milliseconds) {
    mutexExists_ = true;
    mutexHeldFor_ = milliseconds;
  }
  bool executeMutexHeld() const { return mutexHeldFor_ > 0; }
  // Mutex handles handed out and not closed.
  std::size_t openMutexCount() const { return mutexHandles_.size(); }

  // Every call made, in order, written like the call itself: numbers in decimal, "null" for a
  // null pointer, "buffer" for a non-null buffer, "HKLM" for kLocalMachine and "k<n>" for the
  // n-th key handed out; sizes as given, for example "MsiGetProductInfoW({…}, Publisher,
  // buffer, 1024)" or "RegQueryValueExW(k1, UninstallString, buffer, 2048)".
  const std::vector<std::wstring>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // Keys handed out and not closed yet.
  std::size_t openKeyCount() const { return keys_.size(); }

  std::uint32_t msiEnumProductsW(std::uint32_t index, wchar_t* productCode) override;
  std::uint32_t msiGetProductInfoW(const wchar_t* product, const wchar_t* property, wchar_t* value,
                                   std::uint32_t* valueChars) override;
  std::int32_t regOpenKeyW(RegistryKey root, const wchar_t* subKey, RegistryKey* key) override;
  std::int32_t regOpenKeyExW(RegistryKey root, const wchar_t* subKey, std::uint32_t options,
                             std::uint32_t samDesired, RegistryKey* key) override;
  std::int32_t regQueryValueExW(RegistryKey key, const wchar_t* valueName, std::uint32_t* reserved,
                                std::uint32_t* type, std::uint8_t* data,
                                std::uint32_t* dataBytes) override;
  std::int32_t regCloseKey(RegistryKey key) override;
  std::uint32_t openMutexW(std::uint32_t desiredAccess, const wchar_t* name,
                           SyncHandle* handle) override;
  std::uint32_t ntQueryMutant(SyncHandle handle, MutantState* state) override;
  void sleepMilliseconds(std::uint32_t milliseconds) override;
  bool closeHandle(SyncHandle handle) override;

 private:
  struct Key {
    std::wstring path;  // below kLocalMachine, without a trailing backslash
    std::map<std::wstring, RegistryValue> values;
  };

  // Begins a call: records it and gives the injected code that ends it here, or 0.
  std::uint32_t injected(InstallerOperation operation, std::wstring call);
  const Product* findProduct(std::wstring_view code) const;
  // The stored key at `path`, or null. keyExists also accepts the keys above stored ones.
  const Key* findKey(std::wstring_view path) const;
  bool keyExists(std::wstring_view path) const;
  // The path of an open key (or kLocalMachine's ""), or null when `key` is not open.
  const std::wstring* openPath(RegistryKey key) const;
  std::int32_t openKey(RegistryKey root, std::wstring_view subKey, RegistryKey* key);

  std::vector<Product> products_;
  std::vector<Key> registry_;
  FaultPlan<InstallerOperation> faults_;
  std::map<std::uint32_t, std::uint32_t> enumerationFailures_;
  std::map<std::uintptr_t, std::wstring> keys_;
  std::uintptr_t nextKey_ = 1;
  std::vector<std::wstring> calls_;
  bool mutexExists_ = false;
  std::uint32_t mutexHeldFor_ = 0;
  std::map<std::uintptr_t, std::uint32_t> mutexHandles_;  // handle -> access granted
  std::uintptr_t nextMutexHandle_ = 1;
};

}  // namespace kv
