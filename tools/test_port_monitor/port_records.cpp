#include "test_port_monitor/port_records.h"

#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_port_monitor/monitor_settings.h"

namespace kv::testmon {
namespace {

DWORD textBytes(const std::wstring& text) {
  return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
}

// Copies `text` with its terminator to `cursor` and advances it; the caller has sized the buffer.
wchar_t* placeText(BYTE*& cursor, const std::wstring& text) {
  auto* placed = reinterpret_cast<wchar_t*>(cursor);
  std::memcpy(cursor, text.c_str(), textBytes(text));
  cursor += textBytes(text);
  return placed;
}

}  // namespace

BOOL enumeratePortRecords(const MonitorStore& store, DWORD level, BYTE* buffer, DWORD size,
                          DWORD* needed, DWORD* returned) {
  if (needed == nullptr || returned == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *needed = 0;
  *returned = 0;
  if (level != 1 && level != 2) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }

  const std::vector<std::wstring> ports = store.ports();
  const std::wstring monitor = store.text(kReportedMonitorValue, L"");
  const std::wstring description = store.text(kPortDescriptionValue, L"");
  const DWORD portType = store.number(kPortTypeValue, kDefaultPortType);

  const DWORD recordSize = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
  DWORD total = 0;
  for (const std::wstring& port : ports) {
    total += recordSize + textBytes(port);
    if (level == 2) total += textBytes(monitor) + textBytes(description);
  }
  *needed = total;
  if (buffer == nullptr || size < total) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }

  BYTE* strings = buffer + recordSize * ports.size();
  for (std::size_t index = 0; index < ports.size(); ++index) {
    BYTE* record = buffer + recordSize * index;
    if (level == 1) {
      auto* info = reinterpret_cast<PORT_INFO_1W*>(record);
      info->pName = placeText(strings, ports[index]);
    } else {
      auto* info = reinterpret_cast<PORT_INFO_2W*>(record);
      info->pPortName = placeText(strings, ports[index]);
      info->pMonitorName = placeText(strings, monitor);
      info->pDescription = placeText(strings, description);
      info->fPortType = portType;
      info->Reserved = 0;
    }
  }
  *returned = static_cast<DWORD>(ports.size());
  return TRUE;
}

}  // namespace kv::testmon
