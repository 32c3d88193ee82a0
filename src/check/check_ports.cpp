// The ports of the maker's queues and of an earlier run's note, each as the port phase takes it:
// kept while a queue that is not cleaned uses it, else removed the way its monitor asks for.
#include <set>
#include <string>

#include "check/check_run.h"
#include "messages/result_codes.h"
#include "spooler/port_deletion.h"
#include "spooler/port_inventory_index.h"
#include "spooler/port_route.h"
#include "spooler/queue_port_texts.h"

namespace kv {
namespace {

void describeRoute(const PortRoute& route, CheckedObject& port) {
  port.facts.emplace_back("monitor", route.monitorName);
  if (route.monitor->route == PortRemovalRoute::Spooler) {
    port.facts.emplace_back("route", L"DeletePortW");
    port.why = L"the spooler's own port removal";
    return;
  }
  port.facts.emplace_back("route", L"XcvData DeletePort");
  if (route.monitor->protocolOf != nullptr) {
    port.facts.emplace_back("protocol", std::to_wstring(route.protocol));
    port.why = L"the monitor's \"DeletePort\" with protocol " + std::to_wstring(route.protocol);
  } else {
    port.why = L"the monitor's \"DeletePort\" with the TCP/IP record";
  }
}

void checkPort(CheckRun& run, const PortInventoryIndex& inventory, const std::wstring& name,
               std::set<std::wstring>& seen) {
  if (!seen.insert(name).second) return;
  CheckedObject port{name, L"keep"};
  if (run.otherQueuesPorts.contains(name)) {
    port.why = L"a queue that is not cleaned uses it";
  } else if (const std::optional<PortRoute> route = portRouteOf(name, inventory)) {
    port.decision = L"delete";
    describeRoute(*route, port);
  } else {
    port.why = L"no monitor found";
  }
  run.report.of(CheckedKind::Ports).push_back(std::move(port));
}

}  // namespace

int checkPorts(CheckRun& run) {
  if (run.queuePorts.empty() && run.pendingPorts.empty()) return 0;
  notePortsOfOtherQueuesNow(run.modelSet, run.otherQueuesPorts);
  PortInfoList ports;
  if (!listPortsNamedIn({&run.queuePorts, &run.pendingPorts}, ports)) {
    return listingFailed(kResultEnumPorts, L"Failed to enumerate ports.");
  }
  const PortInventoryIndex inventory(ports);
  std::set<std::wstring> seen;
  for (const std::wstring& text : run.queuePorts) {
    for (const std::wstring& port : portsNamedBy(text, inventory))
      checkPort(run, inventory, port, seen);
  }
  // A port of the note that is gone already is passed over, as the port phase does.
  for (const std::wstring& text : run.pendingPorts) {
    for (const std::wstring& port : portsNamedBy(text, inventory)) {
      if (!MciGetPortMonitorName(port, inventory).empty()) checkPort(run, inventory, port, seen);
    }
  }
  return 0;
}

}  // namespace kv
