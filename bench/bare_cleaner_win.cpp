// The system calls of `kvcleaner.exe -C` and nothing else: no logs, no options, no message
// texts, no settings file. scripts/bench times it under Wine beside the cleaner on the same
// machine, so the difference is the cleaner's own work.
//
//   kvbare.exe <brand word> [--no-second-listing]
//
// The calls and their order are the cleaner's:
// - first uninstall pass: the installer's products and the Publisher of each; for the maker's
//   ("NOVAX"), the installed drivers, each product's ProductName, and for a name ending in
//   "[<driver>]" its uninstall entry's UninstallString and the uninstaller, run and waited for;
// - the connections, then the local queues; a queue or connection is the maker's when its
//   driver name, upper-cased, contains the brand word;
// - the note of pending removals read, then written with the maker's queues;
// - for each of the maker's queues its status, its jobs and its deletion; a second look at the
//   queues, the ports with their monitors and each maker port once; each maker driver until one
//   deletion of it succeeds;
// - the note deleted; the second uninstall pass, and the ProductName of each product chosen.
// A note left by an earlier run is read but not acted on: the bench machine has none.
// Exit code 1 when a driver was not deleted (always so under Wine) or a chosen product is still
// installed, else 0.
// --no-second-listing leaves out the second look at the queues, to show what it costs.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bare_calls_win.h"
#include "config/pending_removals_note.h"
#include "products/uninstall_command.h"
#include "rules/queue_condition.h"
#include "spooler/port_monitors.h"
#include "system/system_library_win.h"
#include "system/win_handles.h"

namespace {

using kv::UniquePrinterHandle;
using kv::bare::getPrinter;
using kv::bare::Installer;
using kv::bare::listPrinters;
using kv::bare::open;
using kv::bare::Printer;
using kv::bare::upper;

// Whether the queue is idle, as the cleaner's check before it deletes a queue.
bool idle(const std::wstring& name) {
  const std::vector<BYTE> status = getPrinter(name, 6, 4, PRINTER_ALL_ACCESS);
  const DWORD bits =
      status.empty() ? 0 : reinterpret_cast<const PRINTER_INFO_6*>(status.data())->dwStatus;
  if (bits & kv::kQueueBusyMask) return false;
  if (bits & kv::kQueuePrintingMask) return false;
  const std::vector<BYTE> full = getPrinter(name, 2, sizeof(PRINTER_INFO_2W), PRINTER_ALL_ACCESS);
  return full.empty() || reinterpret_cast<const PRINTER_INFO_2W*>(full.data())->cJobs == 0;
}

void deleteQueue(const std::wstring& name) {
  const UniquePrinterHandle queue = open(name, PRINTER_ALL_ACCESS);
  if (queue) DeletePrinter(queue.get());
}

void deletePort(const std::wstring& port, const std::wstring& monitorName) {
  const kv::PortMonitor& monitor = kv::portMonitorReachedAs(monitorName);
  if (monitor.route == kv::PortRemovalRoute::Spooler) {
    DeletePortW(nullptr, nullptr, const_cast<LPWSTR>(port.c_str()));
    return;
  }
  const std::uint32_t protocol = monitor.protocolOf != nullptr ? monitor.protocolOf(port) : 0;
  std::vector<BYTE> record =
      monitor.deletePortRecord(std::u16string(port.begin(), port.end()), protocol);
  const UniquePrinterHandle handle = open(L",XcvMonitor " + monitorName, SERVER_ACCESS_ADMINISTER);
  if (!handle) return;
  DWORD needed = 0;
  DWORD status = 0;
  XcvDataW(handle.get(), L"DeletePort", record.data(), static_cast<DWORD>(record.size()), nullptr,
           0, &needed, &status);
}

// Runs an uninstaller as the cleaner does (process_runner_win.cpp): hidden, waited for five
// minutes at most, then ended. True when it had to be ended.
bool hung(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return false;
  }
  const kv::UniqueProcessHandle thread(started.hThread);
  const kv::UniqueProcessHandle process(started.hProcess);
  if (WaitForSingleObject(process.get(), 300000) == WAIT_TIMEOUT) {
    TerminateProcess(process.get(), 0);
    return true;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  return false;
}

struct Products {
  std::vector<std::wstring> codes;  // the maker's
  std::set<std::wstring> chosen;    // those whose name ends in an installed driver's
  std::set<std::wstring> hung;
};

// One uninstall pass without configured models: every installed driver names the packages.
void uninstallPass(const Installer& installer, Products& products) {
  if (products.codes.empty()) return;
  const std::vector<std::wstring> drivers = kv::bare::listOwnDrivers();
  for (const std::wstring& code : products.codes) {
    const std::optional<std::wstring> name = installer.property(code, L"ProductName");
    if (!name) {
      products.chosen.erase(code);
      continue;
    }
    const bool matches = std::any_of(drivers.rbegin(), drivers.rend(), [&](const auto& driver) {
      return name->ends_with(L"[" + driver + L"]");
    });
    if (!matches) continue;
    products.chosen.insert(code);
    if (products.hung.contains(code)) continue;
    const kv::UninstallCommandLine command =
        kv::uninstallCommandLine(code, kv::bare::registeredCommand(code));
    if (command.made == kv::UninstallCommandLine::Made::Ready && hung(command.text)) {
      products.hung.insert(code);
    }
  }
}

// The note of the maker's queues, the very bytes the cleaner writes.
bool writeNote(const std::vector<Printer>& queues) {
  std::string bytes = kv::encodePendingRemovals({});
  for (const Printer& queue : queues) {
    kv::appendPendingRemoval(bytes, {queue.driver, queue.port});
  }
  kv::UniqueRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kv::bare::kNoteKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(key.get(), kv::kPendingRemovalsValueName, 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

void deleteNote() {
  kv::UniqueRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kv::bare::kNoteKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                    key.put()) == ERROR_SUCCESS) {
    RegDeleteValueW(key.get(), kv::kPendingRemovalsValueName);
  }
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  // As the cleaner's entry: no DLL loaded by name may come from the program's folder.
  kv::restrictDllSearchToSystemFolder();
  const bool secondListing = argc == 2;
  if (argc != 2 && (argc != 3 || std::wstring(argv[2]) != L"--no-second-listing")) return 2;
  const std::wstring brand = upper(argv[1]);
  const auto makers = [&](const Printer& printer) {
    return upper(printer.driver).find(brand) != std::wstring::npos;
  };

  const Installer installer;
  Products products;
  products.codes = installer.makerProducts();
  uninstallPass(installer, products);

  for (const Printer& connection : listPrinters(PRINTER_ENUM_CONNECTIONS)) {
    if (makers(connection)) DeletePrinterConnectionW(const_cast<LPWSTR>(connection.name.c_str()));
  }

  std::vector<Printer> queues;
  std::set<std::wstring> portsOfOthers;
  for (Printer& queue : listPrinters(PRINTER_ENUM_LOCAL)) {
    if (makers(queue))
      queues.push_back(std::move(queue));
    else
      portsOfOthers.insert(upper(queue.port));
  }
  bool noteStored = kv::bare::readNote().has_value();
  if (!queues.empty() && writeNote(queues)) noteStored = true;
  for (const Printer& queue : queues) {
    if (idle(queue.name)) deleteQueue(queue.name);
  }

  if (!queues.empty()) {
    if (secondListing) {
      for (const Printer& queue : listPrinters(PRINTER_ENUM_LOCAL)) {
        if (!makers(queue)) portsOfOthers.insert(upper(queue.port));
      }
    }
    const std::map<std::wstring, std::wstring> monitors = kv::bare::listPortMonitors();
    std::set<std::wstring> done;
    for (const Printer& queue : queues) {
      if (done.contains(queue.port) || portsOfOthers.contains(upper(queue.port))) continue;
      const auto monitor = monitors.find(queue.port);
      if (monitor == monitors.end()) continue;
      deletePort(queue.port, monitor->second);
      done.insert(queue.port);
    }
  }

  std::set<std::wstring> deleted;
  int failures = 0;
  for (const Printer& queue : queues) {
    if (deleted.contains(queue.driver)) continue;
    if (DeletePrinterDriverExW(nullptr, nullptr, const_cast<LPWSTR>(queue.driver.c_str()),
                               DPD_DELETE_UNUSED_FILES, 3)) {
      deleted.insert(queue.driver);
    } else {
      ++failures;
    }
  }
  if (noteStored) deleteNote();

  uninstallPass(installer, products);
  for (const std::wstring& code : products.codes) {
    if (products.chosen.contains(code) && installer.property(code, L"ProductName")) ++failures;
  }
  return failures > 0 ? 1 : 0;
}
