#include "rules/port_walk.h"

#include "spooler/port_deletion.h"
#include "spooler/port_names.h"
#include "spooler/queue_port_texts.h"

namespace kv {

bool isWindowsOwnPort(std::wstring_view port) {
  static constexpr std::wstring_view kOwnPorts[] = {
      L"LPT1:", L"LPT2:", L"LPT3:", L"COM1:", L"COM2:",
      L"COM3:", L"COM4:", L"FILE:", L"NUL:",  L"PORTPROMPT:",
  };
  for (const std::wstring_view own : kOwnPorts) {
    if (samePortName(port, own)) return true;
  }
  return false;
}

namespace {

PortHold holdOf(const std::wstring& port, const PortsInUse& otherQueuesPorts) {
  if (isWindowsOwnPort(port)) return PortHold::WindowsOwn;
  if (otherQueuesPorts.contains(port)) return PortHold::OtherQueue;
  return PortHold::None;
}

}  // namespace

PortWalkEnd walkPorts(const NameList& queuePorts, const NameList& pendingPorts,
                      const ModelSet& models, PortsInUse& otherQueuesPorts, PortInfoList& inventory,
                      PortWalkVisitor& visitor) {
  if (queuePorts.empty() && pendingPorts.empty()) return PortWalkEnd::NoPorts;
  notePortsOfOtherQueuesNow(models, otherQueuesPorts);
  // Only the ports of the maker's queues and those of the note are looked up, so only theirs are
  // kept.
  if (!listPortsNamedIn({&queuePorts, &pendingPorts}, inventory)) {
    return PortWalkEnd::ListingFailed;
  }
  visitor.listed();
  const PortInventoryIndex index(inventory);
  for (const std::wstring& text : queuePorts) {
    for (const std::wstring& port : portsNamedBy(text, index)) {
      visitor.port(port, holdOf(port, otherQueuesPorts), index);
    }
  }
  // An earlier run may have got to some of its ports before it stopped.
  for (const std::wstring& text : pendingPorts) {
    for (const std::wstring& port : portsNamedBy(text, index)) {
      if (MciGetPortMonitorName(port, index).empty()) {
        visitor.gone(port);
      } else {
        visitor.port(port, holdOf(port, otherQueuesPorts), index);
      }
    }
  }
  return PortWalkEnd::Walked;
}

}  // namespace kv
