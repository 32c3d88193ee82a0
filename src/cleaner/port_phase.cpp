// The ports of the maker's queues. Each port goes the way its monitor asks for: through the
// monitor's own "DeletePort" command or through the spooler's port removal.
#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "spooler/error_reporting.h"
#include "spooler/port_deletion.h"
#include "spooler/port_inventory_index.h"
#include "spooler/port_route.h"
#include "spooler/queue_port_texts.h"
#include "spooler/removals.h"

namespace kv {
namespace {

void deletePortThroughMonitor(CleanerRun& run, const std::wstring& port, const PortRoute& route) {
  Logger& log = detailLog();
  if (route.monitor->protocolOf != nullptr) {
    log.info() << L"Alder port protocol type: " << route.protocol << endLine;
  }
  if (bMciDeletePort(port, route.monitorName, route.protocol)) {
    log.info() << L"Successfully deleted port: " << port << endLine;
    run.finishedSet.insert(port);
  } else {
    log.error() << L"Failed to delete port " << port << L".(" << dwMciGetLastError() << L")"
                << endLine;
    ++run.pCount;
  }
}

void removePortThroughSpooler(CleanerRun& run, const std::wstring& port) {
  Logger& log = detailLog();
  if (bMciRemovePort(port)) {
    log.info() << L"Successfully removed port: " << port << endLine;
    run.finishedSet.insert(port);
  } else {
    log.error() << L"Failed to removed port " << port << L".(" << dwMciGetLastError() << L")"
                << endLine;
    ++run.pCount;
  }
}

void deletePort(CleanerRun& run, const PortInventoryIndex& inventory, const std::wstring& port) {
  Logger& log = detailLog();
  log.info() << L"Deleting port " << port << L"..." << endLine;
  if (run.finishedSet.contains(port)) {
    log.debug() << L"Port previously deleted: " << port << endLine;
    return;
  }
  // A port that a queue of another maker (or of a model not being cleaned) still prints to is
  // not the maker's to take away, in a test run as in a real one.
  if (run.otherQueuesPorts.contains(port)) {
    log.warn() << L"Port still used by a queue that is not cleaned: " << port << endLine;
    return;
  }
  if (!run.options.clean) {
    log.info() << L"SIMULATION:Successfully deleted port: " << port << endLine;
    return;
  }
  const std::optional<PortRoute> route = portRouteOf(port, inventory);
  if (!route) {
    log.warn() << L"Monitor name not found: " << port << endLine;
    return;
  }
  log.info() << L"Port monitor name: " << route->monitorName << endLine;
  if (route->monitor->route == PortRemovalRoute::Monitor) {
    deletePortThroughMonitor(run, port, *route);
  } else {
    removePortThroughSpooler(run, port);
  }
}

}  // namespace

void removePorts(CleanerRun& run) {
  if (!run.queuePorts.empty() || !run.pendingPorts.empty()) {
    notePortsOfOtherQueuesNow(run.modelSet, run.otherQueuesPorts);
    // Only the ports of the maker's queues and those an earlier run left are looked up, so only
    // theirs are kept.
    if (!listPortsNamedIn({&run.queuePorts, &run.pendingPorts}, run.portInventory)) {
      detailLog().error() << L"Failed to enumerate ports." << endLine;
      fatalEnd(kResultEnumPorts, L"");
    }
    detailLog().info() << L"KVTool cleaner Deleting port started: " << GetTimeText() << endLine;
    const PortInventoryIndex inventory(run.portInventory);
    for (const std::wstring& text : run.queuePorts) {
      for (const std::wstring& port : portsNamedBy(text, inventory))
        deletePort(run, inventory, port);
    }
    // An earlier run may have got to some of its ports before it stopped.
    for (const std::wstring& text : run.pendingPorts) {
      for (const std::wstring& port : portsNamedBy(text, inventory)) {
        if (MciGetPortMonitorName(port, inventory).empty()) {
          detailLog().debug() << L"Port no longer present: " << port << endLine;
        } else {
          deletePort(run, inventory, port);
        }
      }
    }
  }
  run.portInventory = PortInfoList();
  run.finishedSet.clear();
}

}  // namespace kv
