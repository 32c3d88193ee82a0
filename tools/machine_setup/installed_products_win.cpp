// The installed Windows Installer products with their uninstall entries in both registry views.
#include <windows.h>
// <msi.h> needs the types of <windows.h>.
#include <msi.h>

#include <optional>
#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"
#include "machine_setup/setup_steps_win.h"
#include "system/win_handles.h"

namespace kv::setup {
namespace {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A product property of any length; the second call gets the size the first one asked for.
UINT productInfo(const std::wstring& code, const wchar_t* property, std::wstring& value) {
  value.assign(64, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD chars = static_cast<DWORD>(value.size());
    const UINT result = MsiGetProductInfoW(code.c_str(), property, value.data(), &chars);
    if (result == ERROR_SUCCESS) {
      value.resize(chars);
      return result;
    }
    if (result != ERROR_MORE_DATA) return result;
    value.assign(chars + 1, L'\0');
  }
  return ERROR_MORE_DATA;
}

// The "UninstallString" of the product's entry in one registry view (KEY_WOW64_64KEY or
// KEY_WOW64_32KEY); nothing when that view has no entry.
StepResult uninstallString(const std::wstring& code, REGSAM view,
                           std::optional<std::wstring>& command) {
  command.reset();
  UniqueRegKey key;
  const std::wstring path = kUninstallKey + code;
  LSTATUS status =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | view, key.put());
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (status != ERROR_SUCCESS) return failedWith(status, L"RegOpenKeyExW");
  command.emplace();
  constexpr DWORD kTexts = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD bytes = 0;
  status = RegGetValueW(key.get(), nullptr, L"UninstallString", kTexts, nullptr, nullptr, &bytes);
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (status == ERROR_SUCCESS) {
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status =
        RegGetValueW(key.get(), nullptr, L"UninstallString", kTexts, nullptr, text.data(), &bytes);
    text.resize(text.find(L'\0'));
    if (status == ERROR_SUCCESS) *command = text;
  }
  return status == ERROR_SUCCESS ? StepResult{} : failedWith(status, L"RegGetValueW");
}

StepResult describeProduct(ProductEntry& product) {
  if (UINT result = productInfo(product.code, INSTALLPROPERTY_PRODUCTNAME, product.name))
    return failedWith(result, L"MsiGetProductInfoW");
  if (UINT result = productInfo(product.code, INSTALLPROPERTY_PUBLISHER, product.publisher))
    return failedWith(result, L"MsiGetProductInfoW");
  if (StepResult found = uninstallString(product.code, KEY_WOW64_64KEY, product.uninstall64);
      !found.ok()) {
    return found;
  }
  return uninstallString(product.code, KEY_WOW64_32KEY, product.uninstall32);
}

}  // namespace

StepResult listProducts(std::vector<ProductEntry>& products) {
  for (DWORD index = 0;; ++index) {
    wchar_t code[39] = {};
    const UINT result = MsiEnumProductsW(index, code);
    if (result == ERROR_NO_MORE_ITEMS) return {};
    if (result != ERROR_SUCCESS) return failedWith(result, L"MsiEnumProductsW");
    ProductEntry& product = products.emplace_back();
    product.code = code;
    if (StepResult described = describeProduct(product); !described.ok()) return described;
  }
}

}  // namespace kv::setup
