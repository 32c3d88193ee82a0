// The ports of the maker's queues. Each port goes the way its monitor asks for: through the
// monitor's own "DeletePort" command or through the spooler's port removal.
#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/port_walk.h"
#include "spooler/error_reporting.h"
#include "spooler/port_deletion.h"
#include "spooler/port_inventory_index.h"
#include "spooler/port_route.h"
#include "spooler/removals.h"

namespace kv {
namespace {

void notePortFailed(CleanerRun& run, const std::wstring& port, std::int32_t code) {
  ++run.pCount;
  run.portErrors[upperCaseCopy(port)] = static_cast<std::uint32_t>(code);
}

void deletePortThroughMonitor(CleanerRun& run, const std::wstring& port, const PortRoute& route) {
  Logger& log = detailLog();
  if (route.monitor->protocolOf != nullptr) {
    log.info() << L"Alder port protocol type: " << route.protocol << endLine;
  }
  if (bMciDeletePort(port, route.monitorName, route.protocol)) {
    log.info() << L"Successfully deleted port: " << port << endLine;
    run.finishedSet.insert(port);
  } else {
    const std::int32_t code = dwMciGetLastError();
    log.error() << L"Failed to delete port " << port << L".(" << code << L")" << endLine;
    notePortFailed(run, port, code);
  }
}

void removePortThroughSpooler(CleanerRun& run, const std::wstring& port) {
  Logger& log = detailLog();
  if (bMciRemovePort(port)) {
    log.info() << L"Successfully removed port: " << port << endLine;
    run.finishedSet.insert(port);
  } else {
    const std::int32_t code = dwMciGetLastError();
    log.error() << L"Failed to removed port " << port << L".(" << code << L")" << endLine;
    notePortFailed(run, port, code);
  }
}

void deletePort(CleanerRun& run, const PortInventoryIndex& inventory, const std::wstring& port,
                PortHold hold) {
  Logger& log = detailLog();
  log.info() << L"Deleting port " << port << L"..." << endLine;
  if (run.finishedSet.contains(port)) {
    log.debug() << L"Port previously deleted: " << port << endLine;
    return;
  }
  switch (hold) {
    case PortHold::WindowsOwn:
      log.debug() << L"Port of Windows itself, kept for every printer: " << port << endLine;
      return;
    // A port that a queue of another maker (or of a model not being cleaned) still prints to is
    // not the maker's to take away, in a test run as in a real one.
    case PortHold::OtherQueue:
      log.warn() << L"Port still used by a queue that is not cleaned: " << port << endLine;
      return;
    case PortHold::None:
      break;
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

class PortPhase final : public PortWalkVisitor {
 public:
  explicit PortPhase(CleanerRun& run) : run_(run) {}
  void listed() override {
    detailLog().info() << L"KVTool cleaner Deleting port started: " << GetTimeText() << endLine;
  }
  void port(const std::wstring& name, PortHold hold, const PortInventoryIndex& inventory) override {
    deletePort(run_, inventory, name, hold);
  }
  void gone(const std::wstring& name) override {
    detailLog().debug() << L"Port no longer present: " << name << endLine;
  }

 private:
  CleanerRun& run_;
};

}  // namespace

void removePorts(CleanerRun& run) {
  PortPhase phase(run);
  if (walkPorts(run.queuePorts, run.pendingPorts, run.modelSet, run.otherQueuesPorts,
                run.portInventory, phase) == PortWalkEnd::ListingFailed) {
    detailLog().error() << L"Failed to enumerate ports." << endLine;
    fatalEnd(kResultEnumPorts, L"");
  }
  run.portInventory = PortInfoList();
  run.finishedSet.clear();
}

}  // namespace kv
