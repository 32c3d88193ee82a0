#include "standins/installer_memory.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "system/utf16_text.h"

namespace kv {
namespace {

wchar_t foldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool samePath(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return foldAscii(x) == foldAscii(y); });
}

std::wstring textArg(const wchar_t* text) { return text != nullptr ? text : L"null"; }
std::wstring bufferArg(const void* buffer) { return buffer != nullptr ? L"buffer" : L"null"; }
std::wstring sizeArg(const std::uint32_t* size) {
  return size != nullptr ? std::to_wstring(*size) : L"null";
}

std::wstring hexArg(std::uint32_t value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789ABCDEF"[value % 16]);
    value /= 16;
  } while (value != 0);
  return L"0x" + digits;
}

std::wstring keyText(RegistryKey key) {
  if (key == kLocalMachine) return L"HKLM";
  return L"k" + std::to_wstring(static_cast<std::uintptr_t>(key));
}

// "parent\child", without a trailing backslash whichever side had one.
std::wstring joinPath(std::wstring_view parent, std::wstring_view child) {
  const auto trimmed = [](std::wstring_view text) {
    while (!text.empty() && text.back() == L'\\') text.remove_suffix(1);
    return text;
  };
  std::wstring path(trimmed(parent));
  child = trimmed(child);
  if (!path.empty() && !child.empty()) path += L'\\';
  path += child;
  return path;
}

// SOFTWARE\… as the 32-bit view holds it below HKLM.
constexpr std::wstring_view kSoftware = L"SOFTWARE\\";
std::wstring in32BitView(std::wstring_view path) {
  if (!samePath(path.substr(0, kSoftware.size()), kSoftware)) return std::wstring(path);
  return std::wstring(kSoftware) + L"WOW6432Node\\" + std::wstring(path.substr(kSoftware.size()));
}

}  // namespace

MemoryInstaller::RegistryValue MemoryInstaller::textValue(std::wstring_view text,
                                                          std::uint32_t type, bool terminated) {
  std::u16string units = toUtf16(text);
  if (terminated) units.push_back(u'\0');
  RegistryValue value{type, std::vector<std::uint8_t>(units.size() * sizeof(char16_t))};
  std::memcpy(value.data.data(), units.data(), value.data.size());
  return value;
}

void MemoryInstaller::addUninstallEntry(const std::wstring& code,
                                        std::map<std::wstring, RegistryValue> values, bool view32) {
  const std::wstring path = joinPath(kUninstallKeyPath, code);
  registry_.push_back(Key{view32 ? in32BitView(path) : path, std::move(values)});
}

bool MemoryInstaller::hasUninstallEntry(const std::wstring& code) const {
  return findKey(joinPath(kUninstallKeyPath, code)) != nullptr;
}

bool MemoryInstaller::removeProduct(const std::wstring& code) {
  const std::wstring path = joinPath(kUninstallKeyPath, code);
  const auto products = std::erase_if(products_, [&](const Product& p) { return p.code == code; });
  const std::wstring path32 = in32BitView(path);
  const auto keys = std::erase_if(registry_, [&](const Key& key) {
    return samePath(key.path, path) || samePath(key.path, path32);
  });
  return products + keys > 0;
}

void MemoryInstaller::failNext(InstallerOperation operation, std::uint32_t code, int passing) {
  faults_.failNext(operation, code, passing);
}

void MemoryInstaller::failAlways(InstallerOperation operation, std::uint32_t code) {
  faults_.failAlways(operation, code);
}

void MemoryInstaller::stopFailing(InstallerOperation operation) {
  faults_.stop(operation);
  if (operation == InstallerOperation::EnumProducts) enumerationFailures_.clear();
}

void MemoryInstaller::failEnumerationAt(std::uint32_t index, std::uint32_t code) {
  enumerationFailures_[index] = code;
}

std::uint32_t MemoryInstaller::injected(InstallerOperation operation, std::wstring call) {
  calls_.push_back(std::move(call));
  return faults_.take(operation).value_or(kSuccess);
}

const MemoryInstaller::Product* MemoryInstaller::findProduct(std::wstring_view code) const {
  const auto found = std::find_if(products_.begin(), products_.end(),
                                  [&](const Product& product) { return product.code == code; });
  return found != products_.end() ? &*found : nullptr;
}

const MemoryInstaller::Key* MemoryInstaller::findKey(std::wstring_view path) const {
  const auto found = std::find_if(registry_.begin(), registry_.end(),
                                  [&](const Key& key) { return samePath(key.path, path); });
  return found != registry_.end() ? &*found : nullptr;
}

bool MemoryInstaller::keyExists(std::wstring_view path) const {
  // The root and every key above a stored one exist too.
  return path.empty() || std::any_of(registry_.begin(), registry_.end(), [&](const Key& key) {
           const std::wstring_view stored = key.path;
           return samePath(stored.substr(0, path.size()), path) &&
                  (stored.size() == path.size() || stored[path.size()] == L'\\');
         });
}

const std::wstring* MemoryInstaller::openPath(RegistryKey key) const {
  static const std::wstring root;
  if (key == kLocalMachine) return &root;
  const auto found = keys_.find(static_cast<std::uintptr_t>(key));
  return found != keys_.end() ? &found->second : nullptr;
}

std::uint32_t MemoryInstaller::msiEnumProductsW(std::uint32_t index, wchar_t* productCode) {
  const std::wstring call =
      L"MsiEnumProductsW(" + std::to_wstring(index) + L", " + bufferArg(productCode) + L")";
  if (const std::uint32_t code = injected(InstallerOperation::EnumProducts, call)) return code;
  if (const auto failing = enumerationFailures_.find(index);
      failing != enumerationFailures_.end()) {
    return failing->second;
  }
  if (productCode == nullptr) return kInvalidParameter;
  if (index >= products_.size()) return kNoMoreItems;
  // A code longer than a GUID is cut, as the caller's room holds only that much.
  const std::wstring& code = products_[index].code;
  const std::size_t length = std::min<std::size_t>(code.size(), kProductCodeChars - 1);
  std::copy_n(code.begin(), length, productCode);
  productCode[length] = L'\0';
  return kSuccess;
}

std::uint32_t MemoryInstaller::msiGetProductInfoW(const wchar_t* product, const wchar_t* property,
                                                  wchar_t* value, std::uint32_t* valueChars) {
  const std::wstring call = L"MsiGetProductInfoW(" + textArg(product) + L", " + textArg(property) +
                            L", " + bufferArg(value) + L", " + sizeArg(valueChars) + L")";
  if (const std::uint32_t code = injected(InstallerOperation::GetProductInfo, call)) return code;
  if (product == nullptr || property == nullptr || (value != nullptr && valueChars == nullptr)) {
    return kInvalidParameter;
  }
  const Product* found = findProduct(product);
  if (found == nullptr) return kUnknownProduct;
  const auto text = found->properties.find(property);
  if (text == found->properties.end()) return kUnknownProperty;
  if (valueChars == nullptr) return kSuccess;

  const std::wstring& stored = text->second;
  const std::uint32_t room = *valueChars;
  *valueChars = static_cast<std::uint32_t>(stored.size());
  if (value == nullptr) return kSuccess;
  // Text that does not fit is not written at all, as Wine's msi does.
  if (stored.size() >= room) return kMoreData;
  std::copy(stored.begin(), stored.end(), value);
  value[stored.size()] = L'\0';
  return kSuccess;
}

std::int32_t MemoryInstaller::regOpenKeyW(RegistryKey root, const wchar_t* subKey,
                                          RegistryKey* key) {
  const std::wstring call = L"RegOpenKeyW(" + keyText(root) + L", " + textArg(subKey) + L")";
  if (key != nullptr) *key = RegistryKey::None;
  if (const std::uint32_t code = injected(InstallerOperation::OpenKey, call)) {
    return static_cast<std::int32_t>(code);
  }
  return openKey(root, subKey != nullptr ? subKey : L"", key);
}

std::int32_t MemoryInstaller::regOpenKeyExW(RegistryKey root, const wchar_t* subKey,
                                            std::uint32_t options, std::uint32_t samDesired,
                                            RegistryKey* key) {
  const std::wstring call = L"RegOpenKeyExW(" + keyText(root) + L", " + textArg(subKey) + L", " +
                            std::to_wstring(options) + L", " + hexArg(samDesired) + L")";
  if (key != nullptr) *key = RegistryKey::None;
  if (const std::uint32_t code = injected(InstallerOperation::OpenKeyEx, call)) {
    return static_cast<std::int32_t>(code);
  }
  if (options != 0 || ((samDesired & kKeyWow64_32) != 0 && (samDesired & kKeyWow64_64) != 0)) {
    return kInvalidParameter;
  }
  const std::wstring_view path = subKey != nullptr ? subKey : L"";
  const bool redirected = root == kLocalMachine && (samDesired & kKeyWow64_32) != 0;
  return openKey(root, redirected ? in32BitView(path) : std::wstring(path), key);
}

std::int32_t MemoryInstaller::openKey(RegistryKey root, std::wstring_view subKey,
                                      RegistryKey* key) {
  if (key == nullptr) return kInvalidParameter;
  const std::wstring* parent = openPath(root);
  if (parent == nullptr) return kInvalidHandle;
  std::wstring path = joinPath(*parent, subKey);
  if (!keyExists(path)) return kFileNotFound;
  const std::uintptr_t id = nextKey_++;
  keys_.emplace(id, std::move(path));
  *key = static_cast<RegistryKey>(id);
  return kSuccess;
}

std::int32_t MemoryInstaller::regQueryValueExW(RegistryKey key, const wchar_t* valueName,
                                               std::uint32_t* reserved, std::uint32_t* type,
                                               std::uint8_t* data, std::uint32_t* dataBytes) {
  const std::wstring call = L"RegQueryValueExW(" + keyText(key) + L", " + textArg(valueName) +
                            L", " + bufferArg(data) + L", " + sizeArg(dataBytes) + L")";
  if (const std::uint32_t code = injected(InstallerOperation::QueryValue, call)) {
    return static_cast<std::int32_t>(code);
  }
  if (reserved != nullptr || (data != nullptr && dataBytes == nullptr)) return kInvalidParameter;
  const std::wstring* path = openPath(key);
  if (path == nullptr) return kInvalidHandle;
  const Key* stored = findKey(*path);
  // A null name asks for the key's default value, which no stored key has.
  if (stored == nullptr || valueName == nullptr) return kFileNotFound;
  const auto found = stored->values.find(valueName);
  if (found == stored->values.end()) return kFileNotFound;
  const RegistryValue& value = found->second;
  if (type != nullptr) *type = value.type;
  if (dataBytes == nullptr) return kSuccess;
  const std::uint32_t room = *dataBytes;
  *dataBytes = static_cast<std::uint32_t>(value.data.size());
  if (data == nullptr) return kSuccess;
  if (value.data.size() > room) return kMoreData;
  std::copy(value.data.begin(), value.data.end(), data);
  return kSuccess;
}

std::int32_t MemoryInstaller::regCloseKey(RegistryKey key) {
  if (const std::uint32_t code =
          injected(InstallerOperation::CloseKey, L"RegCloseKey(" + keyText(key) + L")")) {
    return static_cast<std::int32_t>(code);
  }
  if (key == kLocalMachine) return kSuccess;
  return keys_.erase(static_cast<std::uintptr_t>(key)) > 0 ? kSuccess : kInvalidHandle;
}

}  // namespace kv

namespace kv {

std::uint32_t MemoryInstaller::openMutexW(std::uint32_t desiredAccess, const wchar_t* name,
                                          SyncHandle* handle) {
  const std::wstring call = L"OpenMutexW(" + hexArg(desiredAccess) + L", " + textArg(name) + L")";
  if (handle != nullptr) *handle = SyncHandle::None;
  if (const std::uint32_t code = injected(InstallerOperation::OpenMutex, call)) return code;
  if (handle == nullptr || name == nullptr) return kInvalidParameter;
  if (!mutexExists_ || std::wstring_view(name) != kInstallerExecuteMutex) return kFileNotFound;
  const std::uintptr_t id = nextMutexHandle_++;
  mutexHandles_.emplace(id, desiredAccess);
  *handle = static_cast<SyncHandle>(id);
  return kSuccess;
}

std::uint32_t MemoryInstaller::ntQueryMutant(SyncHandle handle, MutantState* state) {
  const auto id = static_cast<std::uintptr_t>(handle);
  const std::wstring call = L"NtQueryMutant(m" + std::to_wstring(id) + L")";
  if (const std::uint32_t code = injected(InstallerOperation::QueryMutant, call)) return code;
  const auto open = mutexHandles_.find(id);
  if (open == mutexHandles_.end()) return kStatusInvalidHandle;
  // Reading the state needs MUTANT_QUERY_STATE, as Windows checks.
  if ((open->second & kMutantQueryState) == 0) return kStatusAccessDenied;
  if (state != nullptr) *state = {mutexHeldFor_ > 0 ? 0 : 1, false, false};
  return 0;
}

void MemoryInstaller::sleepMilliseconds(std::uint32_t milliseconds) {
  calls_.push_back(L"Sleep(" + std::to_wstring(milliseconds) + L")");
  mutexHeldFor_ -= std::min(mutexHeldFor_, milliseconds);
}

bool MemoryInstaller::closeHandle(SyncHandle handle) {
  const auto id = static_cast<std::uintptr_t>(handle);
  if (injected(InstallerOperation::CloseHandle, L"CloseHandle(m" + std::to_wstring(id) + L")") !=
      0) {
    return false;
  }
  return mutexHandles_.erase(id) > 0;
}

}  // namespace kv
