#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "spooler/port_inventory_index.h"
#include "spooler/port_monitors.h"

namespace kv {

// How the port phase removes a port, as kvcheck shows it too: the monitor that owns the port
// (MciGetPortMonitorName), its row in the monitor table, and the protocol of its "DeletePort"
// record where the row has a protocol rule (0 otherwise).
struct PortRoute {
  std::wstring monitorName;
  const PortMonitor* monitor;
  std::uint32_t protocol = 0;
};

// nullopt when the port is not in the inventory: no monitor is found for it.
std::optional<PortRoute> portRouteOf(const std::wstring& portName,
                                     const PortInventoryIndex& inventory);

}  // namespace kv
