#include "spooler/port_route.h"

#include "spooler/port_deletion.h"

namespace kv {

std::optional<PortRoute> portRouteOf(const std::wstring& portName,
                                     const PortInventoryIndex& inventory) {
  std::wstring monitorName = MciGetPortMonitorName(portName, inventory);
  if (monitorName.empty()) return std::nullopt;
  const PortMonitor& monitor = portMonitorReachedAs(monitorName);
  const std::uint32_t protocol = monitor.protocolOf != nullptr ? monitor.protocolOf(portName) : 0;
  return PortRoute{std::move(monitorName), &monitor, protocol};
}

}  // namespace kv
