#include "spooler/port_info.h"

namespace kv {

namespace {

std::int32_t portKindOf(const std::wstring& monitorName, const wchar_t* standardTcpIpName) {
  struct Known {
    const wchar_t* monitor;
    std::int32_t kind;
  };
  // The order in which the names are tried; a name matches exactly or not at all.
  const Known known[] = {
      {L"Local Monitor", kPortKindLocal},
      {standardTcpIpName, kPortKindStandardTcpIp},
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

}  // namespace

std::int32_t portKindOfEnumeratedMonitor(const std::wstring& monitorName) {
  return portKindOf(monitorName, L"TCPMON.DLL");
}

std::int32_t portKindOfLookedUpMonitor(const std::wstring& monitorName) {
  return portKindOf(monitorName, L"Standard TCP/IP Port");
}

}  // namespace kv
