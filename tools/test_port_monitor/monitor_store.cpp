#include "test_port_monitor/monitor_store.h"

#include <cwchar>
#include <iterator>

#include "test_port_monitor/monitor_settings.h"

namespace kv::testmon {

std::wstring MonitorStore::text(const wchar_t* value, const wchar_t* fallback) const {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(root_.get(), value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return fallback;
  }
  // One spare character: a stored value need not carry its terminator.
  std::wstring result(size / sizeof(wchar_t) + 1, L'\0');
  DWORD capacity = static_cast<DWORD>(result.size() * sizeof(wchar_t));
  if (RegQueryValueExW(root_.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(result.data()),
                       &capacity) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return fallback;
  }
  result.resize(wcsnlen(result.c_str(), result.size()));
  return result;
}

DWORD MonitorStore::number(const wchar_t* value, DWORD fallback) const {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExW(root_.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data)) {
    return fallback;
  }
  return data;
}

std::optional<DWORD> MonitorStore::takeNumber(const wchar_t* value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExW(root_.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data) ||
      RegDeleteValueW(root_.get(), value) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return data;
}

std::vector<std::wstring> MonitorStore::ports() const {
  std::vector<std::wstring> names;
  UniqueRegKey ports;
  if (RegOpenKeyExW(root_.get(), kPortsSubkey, 0, KEY_READ, ports.put()) != ERROR_SUCCESS) {
    return names;
  }
  // Key names are at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(ports.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

bool MonitorStore::hasPort(const std::wstring& port) const {
  if (port.empty()) return false;
  UniqueRegKey ports;
  if (RegOpenKeyExW(root_.get(), kPortsSubkey, 0, KEY_READ, ports.put()) != ERROR_SUCCESS) {
    return false;
  }
  UniqueRegKey entry;
  return RegOpenKeyExW(ports.get(), port.c_str(), 0, KEY_READ, entry.put()) == ERROR_SUCCESS;
}

DWORD MonitorStore::addPort(const std::wstring& port) {
  if (port.empty() || port.size() > kMaxPortNameLength || port.find(L'\\') != std::wstring::npos) {
    return ERROR_INVALID_PARAMETER;
  }
  UniqueRegKey ports;
  LSTATUS status = RegCreateKeyExW(root_.get(), kPortsSubkey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                   nullptr, ports.put(), nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  UniqueRegKey entry;
  DWORD disposition = 0;
  status = RegCreateKeyExW(ports.get(), port.c_str(), 0, nullptr, 0, KEY_READ, nullptr, entry.put(),
                           &disposition);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  return disposition == REG_OPENED_EXISTING_KEY ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

DWORD MonitorStore::removePort(const std::wstring& port) {
  if (!hasPort(port)) return ERROR_UNKNOWN_PORT;
  UniqueRegKey ports;
  LSTATUS status = RegOpenKeyExW(root_.get(), kPortsSubkey, 0, KEY_ALL_ACCESS, ports.put());
  if (status == ERROR_SUCCESS) status = RegDeleteKeyW(ports.get(), port.c_str());
  return static_cast<DWORD>(status);
}

}  // namespace kv::testmon
