#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "system/win_handles.h"

namespace kv::testmon {

// The settings and ports of one registered monitor, read from and written to its registry key at
// each call (see monitor_settings.h).
class MonitorStore {
 public:
  explicit MonitorStore(UniqueRegKey root) : root_(std::move(root)) {}

  // A REG_SZ value, or `fallback` when it is missing or of another type.
  std::wstring text(const wchar_t* value, const wchar_t* fallback) const;
  // A REG_DWORD value, or `fallback` when it is missing or of another type.
  DWORD number(const wchar_t* value, DWORD fallback) const;
  // Removes a REG_DWORD value and returns what it held; nullopt when it was not there.
  std::optional<DWORD> takeNumber(const wchar_t* value);

  // The ports in the order the registry lists them.
  std::vector<std::wstring> ports() const;
  bool hasPort(const std::wstring& port) const;
  // ERROR_SUCCESS, ERROR_ALREADY_EXISTS or the registry's code.
  DWORD addPort(const std::wstring& port);
  // ERROR_SUCCESS, ERROR_UNKNOWN_PORT or the registry's code.
  DWORD removePort(const std::wstring& port);

 private:
  UniqueRegKey root_;
};

}  // namespace kv::testmon
