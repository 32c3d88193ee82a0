#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "spooler/port_info.h"

namespace kv {

// The port inventory by port name, built once, so that looking up each port to be deleted does
// not walk the whole inventory (a walk per port grows with the square of the port count). It
// refers to the inventory, which must outlive it unchanged.
class PortInventoryIndex {
 public:
  explicit PortInventoryIndex(const PortInfoList& ports);

  // The first inventory entry of that name, compared as the spooler compares port names (without
  // regard to case), or null.
  const portinfo_s* find(const std::wstring& portName) const;

 private:
  const PortInfoList& ports_;
  // Inventory positions sorted by case-folded port name; entries of the same name keep the
  // inventory order.
  std::vector<std::size_t> byName_;
};

}  // namespace kv
