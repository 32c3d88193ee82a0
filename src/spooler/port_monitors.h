#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Everything the cleaner does with a port depends on the monitor that owns it; this is the one
// place that knows the monitors by name. A new monitor is a row in port_monitors.cpp (and, when
// it reads a record of its own, that record in port_records.h).

// Port kind codes: a port classified by the name of the monitor that owns it. 6 is never given.
inline constexpr std::int32_t kPortKindLocal = 0;                // "Local Monitor"
inline constexpr std::int32_t kPortKindClientSideRendering = 1;  // "Client Side Rendering Port"
inline constexpr std::int32_t kPortKindStandardTcpIp = 2;        // "TCPMON.DLL"
inline constexpr std::int32_t kPortKindInternet = 3;             // "Internet Port"
inline constexpr std::int32_t kPortKindDeviceLink = 4;           // "DeviceLinkMonitor"
inline constexpr std::int32_t kPortKindNetPath = 5;              // "NetPath IO Agent"
inline constexpr std::int32_t kPortKindZtAk9 = 7;                // "ZT AK9 port"
inline constexpr std::int32_t kPortKindVndx = 8;                 // "VNDX port"
inline constexpr std::int32_t kPortKindOther = 9;                // any other monitor name
inline constexpr std::int32_t kPortKindNoMonitor = 10;           // the spooler named no monitor

// How a port of the monitor is taken away.
enum class PortRemovalRoute {
  Spooler,  // the spooler's own port removal
  Monitor,  // the monitor's "DeletePort" command, through its transceive interface
};

// One port monitor and what the cleaner does with its ports. Names match exactly
// (case-sensitive, whole text).
struct PortMonitor {
  const wchar_t* enumeratedName;  // as the port enumeration names it
  const wchar_t* reachedName;     // as its transceive interface is opened
  std::int32_t kind;
  PortRemovalRoute route;
  // The input record of its "DeletePort" command for a port name that fits the record.
  std::vector<std::uint8_t> (*deletePortRecord)(std::u16string_view portName,
                                                std::uint32_t protocol);
  // The protocol its record carries for a port; null for a monitor that takes none.
  std::uint32_t (*protocolOf)(std::wstring_view portName);
};

// The monitor of a name as the port enumeration reports it, and as MciGetPortMonitorName gives
// it; a name not in the table gets the row of kPortKindOther.
const PortMonitor& portMonitorEnumeratedAs(std::wstring_view monitorName);
const PortMonitor& portMonitorReachedAs(std::wstring_view monitorName);

// The name under which the monitor of a port listed with these texts is reached. A monitor the
// enumeration names otherwise than it is reached (the standard TCP/IP one) is known by either
// text of the port; any other name is its own.
std::wstring monitorNameReaching(const std::wstring& enumeratedMonitor,
                                 const std::wstring& description);

}  // namespace kv
