// The spooler calls of `kvcleaner.exe -C` and nothing else: no logs, no options, no message
// texts, no installer. scripts/bench times it under Wine beside the cleaner on the same machine,
// so the difference is the cleaner's own work.
//
//   kvbare.exe <brand word> [--no-second-listing]
//
// A queue or connection is the maker's when its driver name, upper-cased, contains the brand
// word. The calls and their order are the cleaner's: the connections, then for each of the
// maker's queues its status, its jobs and its deletion, then a second look at the queues, the
// ports with their monitors and each maker port once, then each maker driver until one deletion
// of it succeeds. Exit code 1 when a driver was not deleted (always so under Wine), else 0.
// --no-second-listing leaves out the second look at the queues, to show what it costs.
#include <windows.h>
#include <winspool.h>

#include <cwctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "main/queue_condition.h"
#include "spooler/port_monitors.h"
#include "spooler/unique_printer_handle_win.h"

namespace {

using kv::UniquePrinterHandle;

struct Printer {
  std::wstring name;
  std::wstring driver;
  std::wstring port;
};

// One enumeration with the cleaner's two-call sizing: the size, then that plus 8 bytes.
std::vector<BYTE> enumerate(const std::function<BOOL(BYTE*, DWORD, DWORD*, DWORD*)>& call,
                            DWORD& count) {
  DWORD needed = 0;
  count = 0;
  call(nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 8);
  if (!call(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) buffer.clear();
  return buffer;
}

std::wstring text(const wchar_t* value) { return value != nullptr ? value : L""; }

std::vector<Printer> listPrinters(DWORD flags) {
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [flags](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersW(flags, nullptr, 2, data, size, needed, returned);
      },
      count);
  std::vector<Printer> printers;
  const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) {
    printers.push_back(
        {text(records[i].pPrinterName), text(records[i].pDriverName), text(records[i].pPortName)});
  }
  return printers;
}

std::wstring upper(std::wstring value) {
  for (wchar_t& c : value) c = static_cast<wchar_t>(std::towupper(c));
  return value;
}

UniquePrinterHandle open(const std::wstring& name, DWORD access) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  UniquePrinterHandle handle;
  if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), handle.put(), &defaults)) handle.reset();
  return handle;
}

// GetPrinterW with the cleaner's sizing: the size, then whole units of `unit` bytes, one more
// than that size needs.
std::vector<BYTE> getPrinter(const std::wstring& name, DWORD level, DWORD unit) {
  const UniquePrinterHandle queue = open(name, PRINTER_ALL_ACCESS);
  if (!queue) return {};
  DWORD needed = 0;
  GetPrinterW(queue.get(), level, nullptr, 0, &needed);
  if (needed == 0) return {};
  std::vector<BYTE> buffer((needed / unit + 1) * unit);
  if (!GetPrinterW(queue.get(), level, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
    return {};
  }
  return buffer;
}

// Whether the queue is idle, as the cleaner's check before it deletes a queue.
bool idle(const std::wstring& name) {
  const std::vector<BYTE> status = getPrinter(name, 6, 4);
  const DWORD bits =
      status.empty() ? 0 : reinterpret_cast<const PRINTER_INFO_6*>(status.data())->dwStatus;
  if (bits & kv::kQueueBusyMask) return false;
  if (bits & kv::kQueuePrintingMask) return false;
  const std::vector<BYTE> full = getPrinter(name, 2, sizeof(PRINTER_INFO_2W));
  return full.empty() || reinterpret_cast<const PRINTER_INFO_2W*>(full.data())->cJobs == 0;
}

void deleteQueue(const std::wstring& name) {
  const UniquePrinterHandle queue = open(name, PRINTER_ALL_ACCESS);
  if (queue) DeletePrinter(queue.get());
}

// The monitor under which each port is reached; the first entry of a name decides.
std::map<std::wstring, std::wstring> listPortMonitors() {
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPortsW(nullptr, 2, data, size, needed, returned);
      },
      count);
  std::map<std::wstring, std::wstring> monitors;
  const auto* records = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) {
    monitors.emplace(
        text(records[i].pPortName),
        kv::monitorNameReaching(text(records[i].pMonitorName), text(records[i].pDescription)));
  }
  return monitors;
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

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  const bool secondListing = argc == 2;
  if (argc != 2 && (argc != 3 || std::wstring(argv[2]) != L"--no-second-listing")) return 2;
  const std::wstring brand = upper(argv[1]);
  const auto makers = [&](const Printer& printer) {
    return upper(printer.driver).find(brand) != std::wstring::npos;
  };

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
  for (const Printer& queue : queues) {
    if (idle(queue.name)) deleteQueue(queue.name);
  }

  if (!queues.empty()) {
    if (secondListing) {
      for (const Printer& queue : listPrinters(PRINTER_ENUM_LOCAL)) {
        if (!makers(queue)) portsOfOthers.insert(upper(queue.port));
      }
    }
    const std::map<std::wstring, std::wstring> monitors = listPortMonitors();
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
  return failures > 0 ? 1 : 0;
}
