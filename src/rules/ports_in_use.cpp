#include "rules/ports_in_use.h"

#include "log/logger.h"
#include "spooler/inventory.h"
#include "spooler/port_names.h"

namespace kv {

void PortsInUse::add(const std::wstring& portText) {
  const std::wstring folded = upperCaseCopy(portText);
  folded_.insert(folded);
  for (const std::wstring_view port : portsOfText(folded)) folded_.emplace(port);
}

bool PortsInUse::contains(const std::wstring& portName) const {
  return folded_.contains(upperCaseCopy(portName));
}

// The answer is as long as the first; only the port texts the guard does not hold yet are kept
// (one it holds brings nothing new: its parts came with it, and a part has no parts of its own).
void notePortsOfOtherQueuesNow(const ModelSet& models, PortsInUse& otherQueuesPorts) {
  const DriverFilter filter = chooseDriverFilter(models);
  NameList newPorts;
  const auto keepNewPortOfOtherQueue = [&](std::wstring driver, std::wstring port) {
    if (!passesDriverFilter(filter, models, driver) && !otherQueuesPorts.contains(port)) {
      newPorts.push_back(std::move(port));
    }
  };
  if (!bMciEntryQueue_Driver_PortList(keepNewPortOfOtherQueue)) {
    detailLog().warn() << L"Failed to enumerate printers again; ports in use as first listed."
                       << endLine;
    return;
  }
  for (const std::wstring& port : newPorts) otherQueuesPorts.add(port);
}

}  // namespace kv
