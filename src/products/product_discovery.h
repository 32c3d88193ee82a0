#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// The maker's installed Windows Installer products, read through InstallerService::current().
// A failed call is printed on standard output as one line "ERROR: failed with error code 0x<code
// in upper-case hex> (<call>)"; nothing goes to the logs.

// Fills `productCodes`, cleared first, with the codes of the installed products whose Publisher
// is exactly "NOVAX", in the installer service's order. A product whose Publisher cannot be read
// is left out. False when the enumeration itself failed; the codes found before stay.
bool EnumMakerProducts(std::vector<std::wstring>& productCodes);

// The product's installer property `property` (for example "ProductName"). `value` is emptied
// first. Asked first into room for 1023 characters; a longer value is asked again with the length
// the installer service reports. False when it cannot be read.
bool GetProductInfoValue(const std::wstring& productCode, const std::wstring& property,
                         std::wstring& value);

// The product's "ProductName" when it is installed; false without a line when the installer
// service does not know the product (1605: it has been uninstalled), false with the failure's
// line for any other failure.
bool GetInstalledProductName(const std::wstring& productCode, std::wstring& name);

// The value `valueName` of the product's uninstall entry below HKEY_LOCAL_MACHINE (for example
// "UninstallString"), looked for in this program's registry view and, when the entry is not
// there, in the other (a 32-bit package's entry from the 64-bit program and the other way
// round); read as text up to its terminator whatever its type. `value` is emptied
// first. False when the entry or the value is missing or its data is longer than 2048 bytes;
// data that fills them without a terminator is cut to 1023 characters.
bool GetUninstallValue(const std::wstring& productCode, const std::wstring& valueName,
                       std::wstring& value);
// The same, also giving the value's registry type (InstallerService::kRegSz, kRegExpandSz, …)
// in `type`, which is 0 on false.
bool GetUninstallValue(const std::wstring& productCode, const std::wstring& valueName,
                       std::wstring& value, std::uint32_t& type);

}  // namespace kv
