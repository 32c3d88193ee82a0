#include "spooler/port_inventory_index.h"

#include <algorithm>
#include <numeric>

#include "spooler/port_names.h"

namespace kv {

PortInventoryIndex::PortInventoryIndex(const PortInfoList& ports)
    : ports_(ports), byName_(ports.size()) {
  std::iota(byName_.begin(), byName_.end(), std::size_t{0});
  std::stable_sort(byName_.begin(), byName_.end(), [&](std::size_t a, std::size_t b) {
    return portNameLess(ports_[a].portName, ports_[b].portName);
  });
}

const portinfo_s* PortInventoryIndex::find(const std::wstring& portName) const {
  const auto first = std::lower_bound(byName_.begin(), byName_.end(), portName,
                                      [&](std::size_t position, const std::wstring& name) {
                                        return portNameLess(ports_[position].portName, name);
                                      });
  if (first == byName_.end() || !samePortName(ports_[*first].portName, portName)) return nullptr;
  return &ports_[*first];
}

}  // namespace kv
