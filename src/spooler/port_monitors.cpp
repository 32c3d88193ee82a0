#include "spooler/port_monitors.h"

#include <cstring>

#include "spooler/port_records.h"

namespace kv {
namespace {

template <typename Record>
std::vector<std::uint8_t> bytesOf(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof(Record));
  std::memcpy(bytes.data(), &record, sizeof(Record));
  return bytes;
}

std::vector<std::uint8_t> deletePortData1Record(std::u16string_view portName, std::uint32_t) {
  return bytesOf(makeDeletePortData1(portName));
}

std::vector<std::uint8_t> makersPortDataRecord(std::u16string_view portName,
                                               std::uint32_t protocol) {
  return bytesOf(makePortData(portName, protocol));
}

// The maker's monitors tell a network port (3) from a direct one (2) by its name.
std::uint32_t makersPortProtocol(std::wstring_view portName) {
  return portName.find_first_of(L":/,") == std::wstring_view::npos ? 2 : 3;
}

using enum PortRemovalRoute;

// The order in which the names are tried.
constexpr PortMonitor kKnownMonitors[] = {
    {L"Local Monitor", L"Local Monitor", kPortKindLocal, Spooler, deletePortData1Record, nullptr},
    {L"TCPMON.DLL", L"Standard TCP/IP Port", kPortKindStandardTcpIp, Monitor, deletePortData1Record,
     nullptr},
    {L"Client Side Rendering Port", L"Client Side Rendering Port", kPortKindClientSideRendering,
     Spooler, deletePortData1Record, nullptr},
    {L"Internet Port", L"Internet Port", kPortKindInternet, Spooler, deletePortData1Record,
     nullptr},
    {L"DeviceLinkMonitor", L"DeviceLinkMonitor", kPortKindDeviceLink, Monitor, makersPortDataRecord,
     makersPortProtocol},
    {L"NetPath IO Agent", L"NetPath IO Agent", kPortKindNetPath, Monitor, makersPortDataRecord,
     makersPortProtocol},
    {L"ZT AK9 port", L"ZT AK9 port", kPortKindZtAk9, Monitor, deletePortData1Record, nullptr},
    {L"VNDX port", L"VNDX port", kPortKindVndx, Monitor, deletePortData1Record, nullptr},
};

// Any other monitor: removed by the spooler, and sent the standard TCP/IP record when asked.
constexpr PortMonitor kOtherMonitor = {L"",    L"", kPortKindOther, Spooler, deletePortData1Record,
                                       nullptr};

const PortMonitor& portMonitorNamed(std::wstring_view monitorName,
                                    const wchar_t* PortMonitor::*name) {
  for (const PortMonitor& monitor : kKnownMonitors) {
    if (monitorName == monitor.*name) return monitor;
  }
  return kOtherMonitor;
}

}  // namespace

const PortMonitor& portMonitorEnumeratedAs(std::wstring_view monitorName) {
  return portMonitorNamed(monitorName, &PortMonitor::enumeratedName);
}

const PortMonitor& portMonitorReachedAs(std::wstring_view monitorName) {
  return portMonitorNamed(monitorName, &PortMonitor::reachedName);
}

std::wstring monitorNameReaching(const std::wstring& enumeratedMonitor,
                                 const std::wstring& description) {
  for (const PortMonitor& monitor : kKnownMonitors) {
    if (std::wstring_view(monitor.enumeratedName) == monitor.reachedName) continue;
    if (description == monitor.reachedName || enumeratedMonitor == monitor.enumeratedName) {
      return monitor.reachedName;
    }
  }
  return enumeratedMonitor;
}

}  // namespace kv
