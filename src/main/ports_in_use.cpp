#include "main/ports_in_use.h"

#include "main/driver_filter.h"

namespace kv {

void PortsInUse::add(const std::wstring& portText) {
  const std::wstring folded = upperCaseCopy(portText);
  folded_.insert(folded);
  std::size_t start = 0;
  for (std::size_t comma = folded.find(L','); comma != std::wstring::npos;
       comma = folded.find(L',', start)) {
    folded_.insert(folded.substr(start, comma - start));
    start = comma + 1;
  }
  folded_.insert(folded.substr(start));
}

bool PortsInUse::contains(const std::wstring& portName) const {
  return folded_.contains(upperCaseCopy(portName));
}

}  // namespace kv
