#include "spooler/printer_handle.h"

namespace kv {

bool PrinterHandle::open(const std::wstring& name, std::uint32_t desiredAccess) {
  close();
  SpoolerHandle opened = nullptr;
  if (!spooler_.openPrinterW(name.c_str(), &opened, desiredAccess)) return false;
  handle_ = opened;
  return true;
}

void PrinterHandle::close() {
  if (handle_ == nullptr) return;
  spooler_.closePrinter(handle_);
  handle_ = nullptr;
}

}  // namespace kv
