#include "spooler/port_info.h"

namespace kv {

std::int32_t portKindOfEnumeratedMonitor(const std::wstring& monitorName) {
  struct Known {
    const wchar_t* monitor;
    std::int32_t kind;
  };
  // The order in which the names are tried; a name matches exactly or not at all.
  static constexpr Known known[] = {
      {L"Local Monitor", kPortKindLocal},
      {L"TCPMON.DLL", kPortKindStandardTcpIp},
      {L"Client Side Rendering Port", kPortKindClientSideRendering},
      {L"Internet Port", kPortKindInternet},
      {L"DeviceLinkMonitor", kPortKindDeviceLink},
      {L"NetPath IO Agent", kPortKindNetPath},
      {L"ZT AK9 port", kPortKindZtAk9},
      {L"VNDX port", kPortKindVndx},
  };
  for (const Known& entry : known) {
    if (monitorName == entry.monitor) return entry.kind;
  }
  return kPortKindOther;
}

}  // namespace kv
