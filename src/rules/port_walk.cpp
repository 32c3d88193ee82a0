#include "rules/port_walk.h"

#include "spooler/port_deletion.h"
#include "spooler/port_names.h"
#include "spooler/queue_port_texts.h"

namespace kv {

namespace {

// "LPT" or "COM", one digit or more, and the colon.
bool isNumberedDevicePort(std::wstring_view folded) {
  if (!(folded.starts_with(L"LPT") || folded.starts_with(L"COM")) || !folded.ends_with(L':')) {
    return false;
  }
  const std::wstring_view number = folded.substr(3, folded.size() - 4);
  return !number.empty() && number.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

}  // namespace

bool isWindowsOwnPort(std::wstring_view port, std::wstring_view monitorName) {
  // The port listing names the local monitor "Local Monitor"; "Local Port" is the name it is
  // installed under, which no other monitor can bear.
  if (monitorName != L"Local Port" && monitorName != L"Local Monitor") return false;
  static constexpr std::wstring_view kNamedPorts[] = {
      L"FILE:", L"PORTPROMPT:", L"NUL:", L"XPSPORT:", L"SHRFAX:",
  };
  const std::wstring folded = upperCaseCopy(std::wstring(port));
  if (isNumberedDevicePort(folded)) return true;
  for (const std::wstring_view own : kNamedPorts) {
    if (folded == own) return true;
  }
  return false;
}

namespace {

PortHold holdOf(const std::wstring& port, const PortsInUse& otherQueuesPorts,
                const PortInventoryIndex& index) {
  const portinfo_s* listed = index.find(port);
  if (listed != nullptr && isWindowsOwnPort(port, listed->monitorName)) {
    return PortHold::WindowsOwn;
  }
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
      visitor.port(port, holdOf(port, otherQueuesPorts, index), index);
    }
  }
  // An earlier run may have got to some of its ports before it stopped.
  for (const std::wstring& text : pendingPorts) {
    for (const std::wstring& port : portsNamedBy(text, index)) {
      if (MciGetPortMonitorName(port, index).empty()) {
        visitor.gone(port);
      } else {
        visitor.port(port, holdOf(port, otherQueuesPorts, index), index);
      }
    }
  }
  return PortWalkEnd::Walked;
}

}  // namespace kv
