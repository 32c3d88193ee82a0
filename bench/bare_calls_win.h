#pragma once

// The system calls that both bare programs make, kvbare.exe (beside `kvcleaner.exe -C`) and
// kvbarecheck.exe (beside `kvcheck.exe -J`), each with the sizing our code gives it and nothing
// of our own work around it. Windows only; the user links winspool.
#include <windows.h>
// <msi.h> needs the types of <windows.h>.
#include <msi.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "products/uninstall_command.h"
#include "spooler/unique_printer_handle_win.h"
#include "system/system_library_win.h"

namespace kv::bare {

struct Printer {
  std::wstring name;
  std::wstring driver;
  std::wstring port;
};

std::wstring upper(std::wstring value);

// The connections (PRINTER_ENUM_CONNECTIONS) or the local queues (PRINTER_ENUM_LOCAL), level 2,
// with our two-call sizing (spooler/sized_enumeration.cpp): the size, then that plus 8 bytes.
std::vector<Printer> listPrinters(DWORD flags);

UniquePrinterHandle open(const std::wstring& name, DWORD access);

// The queue opened with `access`, then GetPrinterW with our sizing (spooler/status_checks.cpp):
// the size, then whole units of `unit` bytes, one more than that size needs. Empty when a call
// failed.
std::vector<BYTE> getPrinter(const std::wstring& name, DWORD level, DWORD unit, DWORD access);

// Every port, level 2, and the monitor under which each is reached; the first entry of a name
// decides.
std::map<std::wstring, std::wstring> listPortMonitors();

// The installed drivers' names, level 1: of the machine's own environment as our code asks for
// them (named only under WOW64), or of the environment named.
std::vector<std::wstring> listOwnDrivers();
std::vector<std::wstring> listDrivers(const std::wstring& environment);

// The installer's calls, with msi.dll loaded as our code loads it (installer_service_win.cpp):
// from the system folder only, when the object is made.
class Installer {
 public:
  // The codes of the products whose Publisher is exactly the maker's, in the installer's order.
  std::vector<std::wstring> makerProducts() const;

  // A product's property with our sizing: room for 1023 characters, asked again with the
  // reported length while it does not fit, three calls at most.
  std::optional<std::wstring> property(const std::wstring& product, const wchar_t* name) const;

 private:
  SystemLibrary msi_{L"msi.dll"};
  SystemProcedure<decltype(::MsiEnumProductsW)> enumProducts_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiEnumProductsW);
  SystemProcedure<decltype(::MsiGetProductInfoW)> getProductInfo_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiGetProductInfoW);
};

// The product's UninstallString, read as our code reads it: 2048 bytes at most.
std::optional<RegisteredCommand> registeredCommand(const std::wstring& productCode);

// The key of the note of pending removals, in the 64-bit view.
inline constexpr wchar_t kNoteKey[] = L"SOFTWARE\\NOVAX\\kvcleaner";

// The note's bytes, sized, then read; nothing when there is no note or a call failed.
std::optional<std::string> readNote();

}  // namespace kv::bare
