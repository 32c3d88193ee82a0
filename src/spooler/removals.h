#pragma once

#include <cstdint>
#include <string>

#include "spooler/port_info.h"

namespace kv {

// Removal of one print object each. True means removed or already absent; false means the
// removal failed, and the failure has been reported (dwMciGetLastError gives its code). An empty
// name counts as no name given: it is passed on, but no trace line names it.

// A network printer connection of the current user. One that does not exist counts as removed.
bool bMciDeletePrinterConnection(const std::wstring& connectionName);

// A local print queue. One that does not exist fails when it is opened.
bool bMciDeletePrinter(const std::wstring& queueName);

// A printer driver of the local machine, with its files that no other driver uses. One that is
// not installed counts as removed; one that a queue still uses fails.
bool bMciDeletePrinterDriverEx(const std::wstring& driverName);

// A port, through the "DeletePort" command of the monitor that owns it. The maker's monitors
// ("DeviceLinkMonitor", "NetPath IO Agent", exact case) get a portdata_s carrying `protocol`
// (0 = none given), every other monitor a DELETE_PORT_DATA_1. A port name of 64 characters or
// more, or a monitor name of more than 243, does not fit those records and is refused with
// false and code 87 before anything is sent. A status other than 0 from the monitor is a
// failure whose code is that status.
bool bMciDeletePort(const std::wstring& portName, const std::wstring& monitorName,
                    std::uint32_t protocol);

// A port, through the spooler's own port removal.
bool bMciRemovePort(const std::wstring& portName);

// The monitor name under which the port's monitor is reached: the first inventory entry of that
// exact name decides; a port of the standard TCP/IP monitor gives "Standard TCP/IP Port"
// whichever of its two texts the spooler reported. Empty when the port is not in the inventory.
std::wstring MciGetPortMonitorName(const std::wstring& portName, const PortInfoList& ports);

}  // namespace kv
