// The native build has no registry: the machine's keys live in memory for the process.
#include "system/machine_registry.h"

namespace kv {

MachineRegistry& platformMachineRegistry() {
  static MemoryMachineRegistry registry;
  return registry;
}

}  // namespace kv
