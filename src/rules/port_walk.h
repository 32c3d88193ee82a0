#pragma once

#include <string>
#include <string_view>

#include "rules/driver_filter.h"
#include "rules/ports_in_use.h"
#include "spooler/name_list.h"
#include "spooler/port_info.h"
#include "spooler/port_inventory_index.h"

namespace kv {

// The ports that Windows installs for every printer with its local monitor (LPT1: to LPT3:,
// COM1: to COM4:, FILE:, PORTPROMPT:, NUL:), in any letter case. A maker's queue may print to
// one; the port is still the machine's and stays.
bool isWindowsOwnPort(std::wstring_view port);

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
