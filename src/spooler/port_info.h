#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "spooler/port_monitors.h"

namespace kv {

// One port of the port inventory. A new record has empty texts and both numbers 0.
struct portinfo_s {
  std::wstring portName;
  std::wstring monitorName;
  std::int32_t kind = 0;  // a kPortKind code
  std::wstring description;
  std::uint32_t portType = 0;  // write 1, read 2, redirected 4, network-attached 8
};

// The port inventory, in the order the spooler listed the ports.
using PortInfoList = std::vector<portinfo_s>;

}  // namespace kv
