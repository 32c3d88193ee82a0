#pragma once

// An owner of a winspool printer handle, for programs that call winspool directly (the test
// fixtures, the bare benchmark); the user links winspool. Windows only.
#include <windows.h>
#include <winspool.h>

#include "system/win_handles.h"

namespace kv {

struct PrinterHandleTraits {
  static bool valid(HANDLE handle) { return handle != nullptr; }
  static void close(HANDLE handle) { ClosePrinter(handle); }
};

// Named apart from spooler/printer_handle.h's PrinterHandle, which closes through the spooler
// interface rather than winspool itself.
using UniquePrinterHandle = UniqueHandle<HANDLE, PrinterHandleTraits>;

}  // namespace kv
