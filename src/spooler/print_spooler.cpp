#include "spooler/print_spooler.h"

namespace kv {

PrintSpooler* PrintSpooler::installed_ = nullptr;

PrintSpooler& PrintSpooler::current() {
  return installed_ != nullptr ? *installed_ : platformPrintSpooler();
}

ScopedPrintSpooler::ScopedPrintSpooler(PrintSpooler& spooler)
    : previous_(PrintSpooler::installed_) {
  PrintSpooler::installed_ = &spooler;
}

ScopedPrintSpooler::~ScopedPrintSpooler() { PrintSpooler::installed_ = previous_; }

}  // namespace kv
