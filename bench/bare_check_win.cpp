// The system calls of `kvcheck.exe -J` and nothing else: no report of ours, no reasons, no
// options, no settings file. scripts/bench times it under Wine beside the check on the same
// machine, so the difference is the check's own work. It changes nothing.
//
//   kvbarecheck.exe <brand word>
//
// The calls and their order are the check's (src/check/check_main.cpp, readMachine):
// - the installer's products and the Publisher of each; for the maker's ("NOVAX"), the installed
//   drivers, each product's ProductName, and for a name ending in "[<driver>]" its uninstall
//   entry's UninstallString;
// - whether the process runs as LocalSystem (its token's user), then the connections, then the
//   local queues; a queue or connection is the maker's when its driver name, upper-cased,
//   contains the brand word;
// - for each of the maker's queues, opened with PRINTER_ACCESS_USE, its status and, unless it is
//   printing, its jobs;
// - the note of pending removals read;
// - with maker queues or the note's entries of the maker: a second look at the queues and the
//   ports with their monitors;
// - the drivers of each of the three environments, the machine's own as our code asks for it.
// It prints one plain line an object on standard output, written at once as the check writes
// its report. Exit code 114 (the check's "found") when it saw anything of the maker: a product,
// connection, queue, note or driver; else 0; 2 for a wrong command line.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bare_calls_win.h"
#include "config/pending_removals_note.h"
#include "rules/queue_condition.h"
#include "spooler/driver_environments.h"
#include "system/print_environment_win.h"
#include "system/process_account_win.h"
#include "system/system_library_win.h"

namespace {

using kv::bare::getPrinter;
using kv::bare::listPrinters;
using kv::bare::Printer;
using kv::bare::upper;

void write(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  // As the check's entry: no DLL loaded by name may come from the program's folder.
  kv::restrictDllSearchToSystemFolder();
  if (argc != 2) return 2;
  const std::wstring brand = upper(argv[1]);
  const auto makers = [&](const std::wstring& driver) {
    return upper(driver).find(brand) != std::wstring::npos;
  };
  std::wstring out;
  bool found = false;

  const kv::bare::Installer installer;
  const std::vector<std::wstring> codes = installer.makerProducts();
  if (!codes.empty()) {
    found = true;
    const std::vector<std::wstring> drivers = kv::bare::listOwnDrivers();
    for (const std::wstring& code : codes) {
      const std::wstring name = installer.property(code, L"ProductName").value_or(code);
      out += L"package\t" + code + L'\t' + name + L"\r\n";
      const bool matches = std::any_of(drivers.rbegin(), drivers.rend(), [&](const auto& driver) {
        return name.ends_with(L"[" + driver + L"]");
      });
      if (!matches) continue;
      const kv::UninstallCommandLine command =
          kv::uninstallCommandLine(code, kv::bare::registeredCommand(code));
      const bool ready = command.made == kv::UninstallCommandLine::Made::Ready;
      out += L"command\t" + (ready ? command.text : L"") + L"\r\n";
    }
  }

  if (kv::processRunsAsLocalSystem()) out += L"LocalSystem\r\n";
  for (const Printer& connection : listPrinters(PRINTER_ENUM_CONNECTIONS)) {
    if (!makers(connection.driver)) continue;
    found = true;
    out += L"connection\t" + connection.name + L'\t' + connection.driver + L"\r\n";
  }

  std::vector<Printer> queues;
  for (Printer& queue : listPrinters(PRINTER_ENUM_LOCAL)) {
    if (makers(queue.driver)) queues.push_back(std::move(queue));
  }
  for (const Printer& queue : queues) {
    found = true;
    const std::vector<BYTE> status = getPrinter(queue.name, 6, 4, PRINTER_ACCESS_USE);
    // A status that cannot be read reads as every bit set.
    const DWORD bits = status.empty()
                           ? ~DWORD{0}
                           : reinterpret_cast<const PRINTER_INFO_6*>(status.data())->dwStatus;
    DWORD jobs = 0;
    if ((bits & kv::kQueuePrintingMask) == 0) {
      const std::vector<BYTE> full =
          getPrinter(queue.name, 2, sizeof(PRINTER_INFO_2W), PRINTER_ACCESS_USE);
      if (!full.empty()) jobs = reinterpret_cast<const PRINTER_INFO_2W*>(full.data())->cJobs;
    }
    out += L"queue\t" + queue.name + L'\t' + queue.driver + L'\t' + queue.port + L'\t' +
           std::to_wstring(bits) + L'\t' + std::to_wstring(jobs) + L"\r\n";
  }

  bool notePorts = false;
  if (const std::optional<std::string> note = kv::bare::readNote()) {
    const auto entries = kv::decodePendingRemovals(*note);
    if (!entries || !entries->empty()) found = true;
    out += L"note\t" + std::to_wstring(note->size()) + L"\r\n";
    for (const kv::PendingRemoval& entry : entries.value_or(std::vector<kv::PendingRemoval>{})) {
      notePorts = notePorts || makers(entry.driver);
      out += L"pending\t" + entry.driver + L'\t' + entry.port + L"\r\n";
    }
  }

  if (!queues.empty() || notePorts) {
    const std::vector<Printer> again = listPrinters(PRINTER_ENUM_LOCAL);
    out += L"queues listed again\t" + std::to_wstring(again.size()) + L"\r\n";
    const std::map<std::wstring, std::wstring> monitors = kv::bare::listPortMonitors();
    for (const Printer& queue : queues) {
      const auto monitor = monitors.find(queue.port);
      out += L"port\t" + queue.port + L'\t' +
             (monitor != monitors.end() ? monitor->second : std::wstring()) + L"\r\n";
    }
  }

  const std::wstring own = kv::wow64NativePrintEnvironment().value_or(kv::kProgramEnvironment);
  for (const wchar_t* environment : kv::kDriverEnvironments) {
    const std::vector<std::wstring> drivers =
        environment == own ? kv::bare::listOwnDrivers() : kv::bare::listDrivers(environment);
    for (const std::wstring& driver : drivers) {
      if (!makers(driver)) continue;
      found = true;
      out += L"driver\t" + driver + L'\t' + environment + L"\r\n";
    }
  }

  write(out);
  return found ? 114 : 0;
}
