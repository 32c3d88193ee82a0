#include "spooler/print_spooler.h"

namespace kv {

PrintSpooler& PrintSpooler::current() {
  return currentInstance<PrintSpooler>(platformPrintSpooler);
}

}  // namespace kv
