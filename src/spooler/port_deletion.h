#pragma once

#include <cstdint>
#include <string>

#include "spooler/port_info.h"
#include "spooler/port_inventory_index.h"

namespace kv {

// Port removal through the port monitor's "DeletePort" command, and the lookup of the monitor
// name that reaches a port's monitor.

// A port, through the "DeletePort" command of the monitor that owns it. The monitor gets the
// record of its row in port_monitors.cpp (exact name; an unknown monitor a DELETE_PORT_DATA_1);
// `protocol` (0 = none given) goes into the record of a monitor that takes one, the maker's
// portdata_s, and is ignored by the others. A port name of 64 characters or more, or a monitor
// name of more than 243, does not fit those records and is refused with false and code 87 before
// anything is sent. A status other than 0 from the monitor is a failure whose code is that
// status. True when the monitor answered 0; false when the removal failed, and the failure has
// been reported (dwMciGetLastError gives its code). An empty port name is passed on, but no trace
// line names it.
bool bMciDeletePort(const std::wstring& portName, const std::wstring& monitorName,
                    std::uint32_t protocol);

// The monitor name under which the port's monitor is reached: the first inventory entry of that
// name (letter case aside, as the spooler compares) decides; a port of the standard TCP/IP monitor
// gives "Standard TCP/IP Port" whichever of its two texts the spooler reported. Empty when the port
// is not in the inventory.
std::wstring MciGetPortMonitorName(const std::wstring& portName, const PortInventoryIndex& ports);
// The same for a single lookup, without an index kept for the next one.
std::wstring MciGetPortMonitorName(const std::wstring& portName, const PortInfoList& ports);

}  // namespace kv
