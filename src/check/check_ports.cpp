// The ports of the maker's queues and of an earlier run's note, each as the port phase takes it:
// kept while it is Windows' own, a queue that is not cleaned uses it or a queue of the maker that
// stays holds it, else removed the way its monitor asks for.
#include <map>
#include <set>
#include <string>

#include "check/check_run.h"
#include "messages/result_codes.h"
#include "rules/port_walk.h"
#include "spooler/port_deletion.h"
#include "spooler/port_names.h"
#include "spooler/port_route.h"

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

struct PortNameLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return portNameLess(a, b); }
};

class PortCheck final : public PortWalkVisitor {
 public:
  explicit PortCheck(CheckRun& run) : run_(run) {
    // The spooler refuses to delete a port a queue uses (ERROR_BUSY), so the ports of the maker's
    // queues that a clean run leaves stay with them; a later run takes them up again.
    const std::vector<CheckedObject>& queues = run.report.of(CheckedKind::Queues);
    for (std::size_t i = 0; i < run.queuePorts.size() && i < queues.size(); ++i) {
      if (queues[i].decision == L"delete") continue;
      stayingQueueOfPort_.emplace(run.queuePorts[i], run.queueNames[i]);
      for (const std::wstring_view part : portsOfText(run.queuePorts[i])) {
        stayingQueueOfPort_.emplace(std::wstring(part), run.queueNames[i]);
      }
    }
  }

  void port(const std::wstring& name, PortHold hold, const PortInventoryIndex& inventory) override {
    if (!seen_.insert(name).second) return;
    CheckedObject port{name, L"keep"};
    const auto staying = stayingQueueOfPort_.find(name);
    if (hold == PortHold::WindowsOwn) {
      port.why = L"Windows' own port, which every printer may use";
    } else if (hold == PortHold::OtherQueue) {
      port.why = L"a queue that is not cleaned uses it";
    } else if (const std::optional<PortRoute> route = portRouteOf(name, inventory); !route) {
      port.why = L"no monitor found";
    } else if (staying != stayingQueueOfPort_.end()) {
      describeRoute(*route, port);
      port.why = L"queue " + staying->second + L" stays and uses it: the deletion fails";
      port.keptForNow = true;
    } else {
      port.decision = L"delete";
      describeRoute(*route, port);
    }
    run_.report.of(CheckedKind::Ports).push_back(std::move(port));
  }

 private:
  CheckRun& run_;
  std::set<std::wstring> seen_;
  std::map<std::wstring, std::wstring, PortNameLess> stayingQueueOfPort_;
};

}  // namespace

int checkPorts(CheckRun& run) {
  PortCheck check(run);
  PortInfoList ports;
  if (walkPorts(run.queuePorts, run.pendingPorts, run.modelSet, run.otherQueuesPorts, ports,
                check) == PortWalkEnd::ListingFailed) {
    return listingFailed(kResultEnumPorts, L"Failed to enumerate ports.");
  }
  return 0;
}

}  // namespace kv
