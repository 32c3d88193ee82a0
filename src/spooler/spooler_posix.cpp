// The print spooler on a system without one: an empty in-memory print system, so that the
// program runs and finds nothing to clean.
#include "spooler/spooler_memory.h"

namespace kv {

PrintSpooler& platformPrintSpooler() {
  static MemoryPrintSystem spooler;
  return spooler;
}

}  // namespace kv
