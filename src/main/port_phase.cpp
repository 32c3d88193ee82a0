// The ports of the maker's queues. Each port goes the way its monitor asks for: through the
// monitor's own "DeletePort" command or through the spooler's port removal.
#include <algorithm>
#include <string_view>
#include <vector>

#include "log/log_placement.h"
#include "log/logger.h"
#include "main/cleaning_phases.h"
#include "main/driver_filter.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/port_deletion.h"
#include "spooler/port_inventory_index.h"
#include "spooler/port_monitors.h"
#include "spooler/port_names.h"
#include "spooler/removals.h"

namespace kv {
namespace {

void deletePortThroughMonitor(CleanerRun& run, const std::wstring& port,
                              const std::wstring& monitorName, const PortMonitor& monitor) {
  Logger& log = detailLog();
  std::uint32_t protocol = 0;
  if (monitor.protocolOf != nullptr) {
    protocol = monitor.protocolOf(port);
    log.info() << L"Alder port protocol type: " << protocol << endLine;
  }
  if (bMciDeletePort(port, monitorName, protocol)) {
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
  const std::wstring monitor = MciGetPortMonitorName(port, inventory);
  if (monitor.empty()) {
    log.warn() << L"Monitor name not found: " << port << endLine;
    return;
  }
  log.info() << L"Port monitor name: " << monitor << endLine;
  const PortMonitor& known = portMonitorReachedAs(monitor);
  if (known.route == PortRemovalRoute::Monitor) {
    deletePortThroughMonitor(run, port, monitor, known);
  } else {
    removePortThroughSpooler(run, port);
  }
}

// Queues may have come or changed since the queues were listed: a port that a queue of another
// maker uses now is kept as well. When this second look fails, the first one still stands. Its
// answer is as long as the first; only the port texts the guard does not hold yet are kept (one
// it holds brings nothing new: its parts came with it, and a part has no parts of its own).
void notePortsOfOtherQueuesNow(CleanerRun& run) {
  const DriverFilter filter = chooseDriverFilter(run.modelSet);
  NameList newPorts;
  const auto keepNewPortOfOtherQueue = [&](std::wstring driver, std::wstring port) {
    if (!passesDriverFilter(filter, run.modelSet, driver) && !run.otherQueuesPorts.contains(port)) {
      newPorts.push_back(std::move(port));
    }
  };
  if (!bMciEntryQueue_Driver_PortList(keepNewPortOfOtherQueue)) {
    detailLog().warn() << L"Failed to enumerate printers again; ports in use as first listed."
                       << endLine;
    return;
  }
  for (const std::wstring& port : newPorts) run.otherQueuesPorts.add(port);
}

// A pooled queue's port text names several ports, separated by commas; but the maker's monitors
// also give single ports names with commas. A text the spooler lists as a port is that port.
std::vector<std::wstring> portsNamedBy(const std::wstring& text,
                                       const PortInventoryIndex& inventory) {
  const std::vector<std::wstring_view> parts = portsOfText(text);
  if (parts.size() <= 1 || inventory.find(text) != nullptr) return {text};
  return {parts.begin(), parts.end()};
}

}  // namespace

void removePorts(CleanerRun& run) {
  if (!run.queuePorts.empty() || !run.pendingPorts.empty()) {
    notePortsOfOtherQueuesNow(run);
    // Only the ports of the maker's queues and those an earlier run left are looked up, so only
    // theirs are kept: each text, and each part of a pooled one, found as the spooler finds
    // them, whatever their case.
    std::vector<std::wstring_view> wanted;
    for (const NameList* texts : {&run.queuePorts, &run.pendingPorts}) {
      for (const std::wstring& text : *texts) {
        wanted.push_back(text);
        const std::vector<std::wstring_view> parts = portsOfText(text);
        if (parts.size() > 1) wanted.insert(wanted.end(), parts.begin(), parts.end());
      }
    }
    std::sort(wanted.begin(), wanted.end(), portNameLess);
    const auto isWanted = [&](std::wstring_view port) {
      return std::binary_search(wanted.begin(), wanted.end(), port, portNameLess);
    };
    if (!bMciEntryPortInfoList(run.portInventory, isWanted)) {
      detailLog().error() << L"Failed to enumerate ports." << endLine;
      fatalEnd(kResultEnumPorts, L"");
    }
    wanted = {};
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
