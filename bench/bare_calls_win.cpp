#include "bare_calls_win.h"

#include <winspool.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <functional>

#include "config/pending_removals_note.h"
#include "spooler/port_monitors.h"
#include "system/print_environment_win.h"
#include "system/win_handles.h"

namespace kv::bare {
namespace {

// One enumeration with our two-call sizing: the size, then that plus 8 bytes.
std::vector<BYTE> enumerate(const std::function<BOOL(BYTE*, DWORD, DWORD*, DWORD*)>& call,
                            DWORD& count) {
  DWORD needed = 0;
  count = 0;
  call(nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 8);
  if (!call(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) buffer.clear();
  return buffer;
}

std::wstring text(const wchar_t* value) { return value != nullptr ? value : L""; }

std::vector<std::wstring> listDriversOf(LPWSTR environment) {
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [environment](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrinterDriversW(nullptr, environment, 1, data, size, needed, returned);
      },
      count);
  std::vector<std::wstring> names;
  const auto* records = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) names.push_back(text(records[i].pName));
  return names;
}

}  // namespace

std::wstring upper(std::wstring value) {
  for (wchar_t& c : value) c = static_cast<wchar_t>(std::towupper(c));
  return value;
}

std::vector<Printer> listPrinters(DWORD flags) {
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [flags](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersW(flags, nullptr, 2, data, size, needed, returned);
      },
      count);
  std::vector<Printer> printers;
  const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) {
    printers.push_back(
        {text(records[i].pPrinterName), text(records[i].pDriverName), text(records[i].pPortName)});
  }
  return printers;
}

UniquePrinterHandle open(const std::wstring& name, DWORD access) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  UniquePrinterHandle handle;
  if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), handle.put(), &defaults)) handle.reset();
  return handle;
}

std::vector<BYTE> getPrinter(const std::wstring& name, DWORD level, DWORD unit, DWORD access) {
  const UniquePrinterHandle queue = open(name, access);
  if (!queue) return {};
  DWORD needed = 0;
  GetPrinterW(queue.get(), level, nullptr, 0, &needed);
  if (needed == 0) return {};
  std::vector<BYTE> buffer((needed / unit + 1) * unit);
  if (!GetPrinterW(queue.get(), level, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
    return {};
  }
  return buffer;
}

std::map<std::wstring, std::wstring> listPortMonitors() {
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPortsW(nullptr, 2, data, size, needed, returned);
      },
      count);
  std::map<std::wstring, std::wstring> monitors;
  const auto* records = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) {
    monitors.emplace(
        text(records[i].pPortName),
        monitorNameReaching(text(records[i].pMonitorName), text(records[i].pDescription)));
  }
  return monitors;
}

std::vector<std::wstring> listOwnDrivers() {
  const std::optional<std::wstring> environment = wow64NativePrintEnvironment();
  return listDriversOf(environment ? const_cast<LPWSTR>(environment->c_str()) : nullptr);
}

std::vector<std::wstring> listDrivers(const std::wstring& environment) {
  return listDriversOf(const_cast<LPWSTR>(environment.c_str()));
}

std::vector<std::wstring> Installer::makerProducts() const {
  std::vector<std::wstring> codes;
  if (!enumProducts_) return codes;
  for (DWORD index = 0;; ++index) {
    std::array<wchar_t, 40> code{};
    if (enumProducts_.get()(index, code.data()) != ERROR_SUCCESS) return codes;
    code.back() = L'\0';
    if (property(code.data(), L"Publisher") == L"NOVAX") codes.emplace_back(code.data());
  }
}

std::optional<std::wstring> Installer::property(const std::wstring& product,
                                                const wchar_t* name) const {
  if (!getProductInfo_) return std::nullopt;
  std::vector<wchar_t> buffer(1024);
  UINT result = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 3 && result == ERROR_MORE_DATA; ++attempt) {
    DWORD chars = static_cast<DWORD>(buffer.size());
    result = getProductInfo_.get()(product.c_str(), name, buffer.data(), &chars);
    if (result == ERROR_MORE_DATA) {
      buffer.assign(std::max(std::size_t{chars} + 1, buffer.size()), L'\0');
    }
  }
  if (result != ERROR_SUCCESS) return std::nullopt;
  buffer.back() = L'\0';
  return std::wstring(buffer.data());
}

std::optional<RegisteredCommand> registeredCommand(const std::wstring& productCode) {
  const std::wstring path = std::wstring(kUninstallKeyPath) + productCode;
  UniqueRegKey key;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, path.c_str(), key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::array<wchar_t, 1024> value{};
  DWORD bytes = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), L"UninstallString", nullptr, &type,
                       reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.back() = L'\0';
  return RegisteredCommand{value.data(), static_cast<std::uint32_t>(type)};
}

std::optional<std::string> readNote() {
  UniqueRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNoteKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), kPendingRemovalsValueName, nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  if (RegQueryValueExW(key.get(), kPendingRemovalsValueName, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace kv::bare
