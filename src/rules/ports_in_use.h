#pragma once

#include <set>
#include <string>

#include "rules/driver_filter.h"

namespace kv {

// The ports that queues which are not being cleaned still use. The spooler compares port names
// without regard to letter case, and a pooled queue's port text names several ports separated
// by commas, so both the whole text and each part of it count as used, case-folded.
class PortsInUse {
 public:
  // Records the port text of one queue.
  void add(const std::wstring& portText);
  // Whether a recorded queue uses a port of this name.
  bool contains(const std::wstring& portName) const;
  void clear() { folded_.clear(); }

 private:
  std::set<std::wstring> folded_;
};

// The port phase's second look: queues may have come or changed since the queues were listed,
// so the ports the local queues outside the filter of `models` use now are added to
// `otherQueuesPorts`. When the listing fails a Warn line says so and the first look stands.
void notePortsOfOtherQueuesNow(const ModelSet& models, PortsInUse& otherQueuesPorts);

}  // namespace kv
