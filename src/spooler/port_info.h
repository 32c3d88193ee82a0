#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

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

// One port of the port inventory. A new record has empty texts and both numbers 0.
struct portinfo_s {
  std::wstring portName;
  std::wstring monitorName;
  std::int32_t kind = 0;
  std::wstring description;
  std::uint32_t portType = 0;  // write 1, read 2, redirected 4, network-attached 8
};

// The port inventory, in the order the spooler listed the ports.
using PortInfoList = std::vector<portinfo_s>;

// The kind of a monitor name as the port enumeration reports it: compared exactly
// (case-sensitive, whole text); a name not in the table is kPortKindOther.
std::int32_t portKindOfEnumeratedMonitor(const std::wstring& monitorName);

// The kind of a monitor name that MciGetPortMonitorName gave: the same table, except that the
// standard TCP/IP monitor goes by the name its transceive interface is opened with, "Standard
// TCP/IP Port".
std::int32_t portKindOfLookedUpMonitor(const std::wstring& monitorName);

}  // namespace kv
