#include "main/ports_in_use.h"

#include "main/driver_filter.h"
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

}  // namespace kv
