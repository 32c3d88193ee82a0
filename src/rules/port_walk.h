#pragma once

#include <string>
#include <string_view>

#include "rules/driver_filter.h"
#include "rules/ports_in_use.h"
#include "spooler/name_list.h"
#include "spooler/port_info.h"
#include "spooler/port_inventory_index.h"

namespace kv {

// The ports that Windows' local monitor keeps for every printer: "LPT" or "COM" with a number
// ("LPT9:", "COM12:"), FILE:, PORTPROMPT:, NUL:, XPSPort: and SHRFAX:, in any letter case, with
// `monitorName` as the port listing gives it. A maker's queue may print to one; the port is still
// the machine's and stays. The same name under another monitor is that monitor's port.
bool isWindowsOwnPort(std::wstring_view port, std::wstring_view monitorName);

// Why a port the walk hands out is not the maker's to delete, whatever the run's mode.
enum class PortHold {
  None,        // the maker's: removed the way its monitor asks for
  WindowsOwn,  // isWindowsOwnPort
  OtherQueue,  // a queue that is not cleaned uses it
};

// What the port phase and kvcheck do at each step of the walk.
class PortWalkVisitor {
 public:
  virtual ~PortWalkVisitor() = default;
  // The ports have been listed; the walk begins.
  virtual void listed() {}
  // A port of a maker's queue or of the note, as often as a text names it.
  virtual void port(const std::wstring& name, PortHold hold,
                    const PortInventoryIndex& inventory) = 0;
  // A port of the note that the spooler no longer lists: an earlier run got to it.
  virtual void gone(const std::wstring& name) { static_cast<void>(name); }
};

enum class PortWalkEnd { NoPorts, ListingFailed, Walked };

// The port phase's walk: nothing at all without a port text (no listing either); else the
// second look at the other queues' ports (into `otherQueuesPorts`), the listing of the ports the
// texts name (into `inventory`), then each port of the queues' texts and after them each of the
// note's texts that the spooler still lists.
PortWalkEnd walkPorts(const NameList& queuePorts, const NameList& pendingPorts,
                      const ModelSet& models, PortsInUse& otherQueuesPorts, PortInfoList& inventory,
                      PortWalkVisitor& visitor);

}  // namespace kv
