#pragma once

#include <cstdint>
#include <string>

#include "spooler/print_spooler.h"

namespace kv {

// A spooler handle that is closed through the spooler that opened it, on every path out of the
// scope that holds it.
class PrinterHandle {
 public:
  explicit PrinterHandle(PrintSpooler& spooler) : spooler_(spooler) {}
  ~PrinterHandle() { close(); }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;

  // OpenPrinterW with no data type and no device mode. False when it failed; the spooler's
  // lastError() then holds the code.
  bool open(const std::wstring& name, std::uint32_t desiredAccess);
  SpoolerHandle get() const { return handle_; }
  // Closes now; later calls and the destructor do nothing.
  void close();

 private:
  PrintSpooler& spooler_;
  SpoolerHandle handle_ = nullptr;
};

}  // namespace kv
