#include "products/product_discovery.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cwchar>
#include <string_view>
#include <utility>
#include <vector>

#include "products/installer_service.h"
#include "system/exception_boundary.h"
#include "system/system_services.h"
#include "system/utf16_text.h"

namespace kv {
namespace {

constexpr std::wstring_view kMakerPublisher = L"NOVAX";

constexpr std::size_t kProductCodeRoom = 40;  // characters
constexpr std::size_t kPropertyRoom = 1024;   // characters, terminator included
constexpr std::size_t kRegistryValueBytes = 2048;

// The calls that a failure line names.
constexpr const wchar_t* kEnumProducts = L"MsiEnumProducts";
constexpr const wchar_t* kGetProductInfo = L"MsiGetProductInfo";
constexpr const wchar_t* kOpenKey = L"RegOpenKey";
constexpr const wchar_t* kQueryValue = L"RegQueryValueEx";

// The registry view of programs of the other kind than this one.
constexpr std::uint32_t kOtherView =
    sizeof(void*) == 8 ? InstallerService::kKeyWow64_32 : InstallerService::kKeyWow64_64;

// ERROR_NOT_ENOUGH_MEMORY, printed for an exception, which only running out of memory raises.
constexpr std::uint32_t kNotEnoughMemory = 8;

// "ERROR: failed with error code 0x<result> (<call>)" and a line end.
void printFailure(const wchar_t* call, std::uint32_t result) {
  std::array<wchar_t, 96> line{};
  if (std::swprintf(line.data(), line.size(), L"ERROR: failed with error code 0x%X (%ls)\n",
                    static_cast<unsigned>(result), call) < 0) {
    return;
  }
  SystemServices::current().writeConsole(ConsoleStream::Out, line.data());
}

// The boundary of each operation, which never raises: an exception is printed as a failure of
// the operation itself with code 8, and the operation fails.
template <typename Body>
bool guardOperation(const wchar_t* operation, Body&& body) {
  return callWithoutRaising(false, std::forward<Body>(body),
                            [operation] { printFailure(operation, kNotEnoughMemory); });
}

// The text in `buffer` up to its terminator; a buffer without one is cut at its last character,
// never read past its end.
template <typename Char, std::size_t Room>
std::basic_string_view<Char> terminatedText(const std::array<Char, Room>& buffer) {
  const std::basic_string_view<Char> text(buffer.data(), Room - 1);
  return text.substr(0, text.find(Char{}));
}

// A registry key opened through `service`, closed there on every path out of its scope.
class ScopedKey {
 public:
  explicit ScopedKey(InstallerService& service) : service_(service) {}
  ~ScopedKey() {
    if (key_ != RegistryKey::None) service_.regCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegistryKey get() const { return key_; }
  RegistryKey* put() { return &key_; }

 private:
  InstallerService& service_;
  RegistryKey key_ = RegistryKey::None;
};

bool enumMakerProducts(std::vector<std::wstring>& productCodes) {
  for (std::uint32_t index = 0;; ++index) {
    std::array<wchar_t, kProductCodeRoom> code{};
    const std::uint32_t result = InstallerService::current().msiEnumProductsW(index, code.data());
    if (result == InstallerService::kNoMoreItems) return true;
    if (result != InstallerService::kSuccess) {
      printFailure(kEnumProducts, result);
      return false;
    }
    const std::wstring productCode(terminatedText(code));
    std::wstring publisher;
    if (GetProductInfoValue(productCode, L"Publisher", publisher) && publisher == kMakerPublisher) {
      productCodes.push_back(productCode);
    }
  }
}

// `quietResult`: a result that is an answer rather than a failure, so not printed.
bool getProductInfoValue(const std::wstring& productCode, const std::wstring& property,
                         std::wstring& value, std::uint32_t quietResult) {
  // The installer service gives the length it needs when the room is too small; a value that
  // changes between the calls may need a third.
  std::vector<wchar_t> buffer(kPropertyRoom);
  std::uint32_t result = InstallerService::kMoreData;
  for (int attempt = 0; attempt < 3 && result == InstallerService::kMoreData; ++attempt) {
    std::uint32_t chars = static_cast<std::uint32_t>(buffer.size());
    result = InstallerService::current().msiGetProductInfoW(productCode.c_str(), property.c_str(),
                                                            buffer.data(), &chars);
    if (result == InstallerService::kMoreData) {
      buffer.assign(std::max(std::size_t{chars} + 1, buffer.size()), L'\0');
    }
  }
  if (result != InstallerService::kSuccess) {
    if (result != quietResult) printFailure(kGetProductInfo, result);
    return false;
  }
  const std::wstring_view text(buffer.data(), buffer.size() - 1);
  value = text.substr(0, text.find(L'\0'));
  return true;
}

bool getUninstallValue(const std::wstring& productCode, const std::wstring& valueName,
                       std::wstring& value, std::uint32_t& type) {
  InstallerService& service = InstallerService::current();
  ScopedKey key(service);
  const std::wstring path = std::wstring(kUninstallKeyPath) + productCode;
  std::int32_t result = service.regOpenKeyW(kLocalMachine, path.c_str(), key.put());
  // A package writes its entry in the view of its own kind (a 32-bit one below WOW6432Node),
  // whichever kind the reading program is.
  if (result == static_cast<std::int32_t>(InstallerService::kFileNotFound)) {
    result = service.regOpenKeyExW(kLocalMachine, path.c_str(), 0,
                                   InstallerService::kKeyQueryValue | kOtherView, key.put());
  }
  if (result != InstallerService::kSuccess) {
    printFailure(kOpenKey, static_cast<std::uint32_t>(result));
    return false;
  }
  // Registry text is UTF-16 on every platform: 2048 bytes are 1024 units.
  std::array<char16_t, kRegistryValueBytes / sizeof(char16_t)> buffer{};
  std::uint32_t bytes = kRegistryValueBytes;
  result = service.regQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                    reinterpret_cast<std::uint8_t*>(buffer.data()), &bytes);
  if (result != InstallerService::kSuccess) {
    printFailure(kQueryValue, static_cast<std::uint32_t>(result));
    type = 0;
    return false;
  }
  value = fromUtf16(terminatedText(buffer));
  return true;
}

}  // namespace

bool EnumMakerProducts(std::vector<std::wstring>& productCodes) {
  productCodes.clear();
  return guardOperation(L"EnumMakerProducts", [&] { return enumMakerProducts(productCodes); });
}

bool GetProductInfoValue(const std::wstring& productCode, const std::wstring& property,
                         std::wstring& value) {
  value.clear();
  return guardOperation(L"GetProductInfoValue", [&] {
    return getProductInfoValue(productCode, property, value, InstallerService::kSuccess);
  });
}

bool GetInstalledProductName(const std::wstring& productCode, std::wstring& name) {
  name.clear();
  return guardOperation(L"GetProductInfoValue", [&] {
    return getProductInfoValue(productCode, L"ProductName", name,
                               InstallerService::kUnknownProduct);
  });
}

bool GetUninstallValue(const std::wstring& productCode, const std::wstring& valueName,
                       std::wstring& value) {
  std::uint32_t type = 0;
  return GetUninstallValue(productCode, valueName, value, type);
}

bool GetUninstallValue(const std::wstring& productCode, const std::wstring& valueName,
                       std::wstring& value, std::uint32_t& type) {
  value.clear();
  type = 0;
  return guardOperation(L"GetUninstallValue",
                        [&] { return getUninstallValue(productCode, valueName, value, type); });
}

}  // namespace kv
