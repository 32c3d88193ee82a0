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
// <msi.h> and <winspool.h> need the types of <windows.h>.
#include <msi.h>
#include <winspool.h>

#include <algorithm>
#include <array>
#include <cwctype>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/pending_removals_note.h"
#include "main/queue_condition.h"
#include "products/uninstall_command.h"
#include "spooler/port_monitors.h"
#include "spooler/unique_printer_handle_win.h"
#include "system/print_environment_win.h"
#include "system/system_library_win.h"
#include "system/win_handles.h"

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

// The installer's calls, with msi.dll loaded as the cleaner loads it (installer_service_win.cpp):
// from the system folder only, when the first uninstall pass begins.
class Installer {
 public:
  // The codes of the products whose Publisher is exactly the maker's, in the installer's order.
  std::vector<std::wstring> makerProducts() const {
    std::vector<std::wstring> codes;
    if (!enumProducts_) return codes;
    for (DWORD index = 0;; ++index) {
      std::array<wchar_t, 40> code{};
      if (enumProducts_.get()(index, code.data()) != ERROR_SUCCESS) return codes;
      code.back() = L'\0';
      if (property(code.data(), L"Publisher") == L"NOVAX") codes.emplace_back(code.data());
    }
  }

  // A product's property with the cleaner's sizing: room for 1023 characters, asked again with
  // the reported length while it does not fit, three calls at most.
  std::optional<std::wstring> property(const std::wstring& product, const wchar_t* name) const {
    if (!getProductInfo_) return std::nullopt;
    std::vector<wchar_t> buffer(1024);
    UINT result = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 3 && result == ERROR_MORE_DATA; ++attempt) {
      DWORD chars = static_cast<DWORD>(buffer.size());
      result = getProductInfo_.get()(product.c_str(), name, buffer.data(), &chars);
      if (result == ERROR_MORE_DATA) {
        buffer.assign(std::max(std::size_t{chars} + 1, buffer.size()), L'\0');
      }
    }
    if (result != ERROR_SUCCESS) return std::nullopt;
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
  }

 private:
  kv::SystemLibrary msi_{L"msi.dll"};
  kv::SystemProcedure<decltype(::MsiEnumProductsW)> enumProducts_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiEnumProductsW);
  kv::SystemProcedure<decltype(::MsiGetProductInfoW)> getProductInfo_ =
      KV_SYSTEM_PROCEDURE(msi_, MsiGetProductInfoW);
};

// The installed drivers' names, of the machine's own environment as the cleaner asks for them.
std::vector<std::wstring> listDrivers() {
  const std::optional<std::wstring> environment = kv::wow64NativePrintEnvironment();
  LPWSTR asked = environment ? const_cast<LPWSTR>(environment->c_str()) : nullptr;
  DWORD count = 0;
  const std::vector<BYTE> buffer = enumerate(
      [asked](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrinterDriversW(nullptr, asked, 1, data, size, needed, returned);
      },
      count);
  std::vector<std::wstring> names;
  const auto* records = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count && !buffer.empty(); ++i) names.push_back(text(records[i].pName));
  return names;
}

// The product's UninstallString, read as the cleaner reads it: 2048 bytes at most.
std::optional<kv::RegisteredCommand> registeredCommand(const std::wstring& productCode) {
  const std::wstring path = std::wstring(kv::kUninstallKeyPath) + productCode;
  kv::UniqueRegKey key;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, path.c_str(), key.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::array<wchar_t, 1024> value{};
  DWORD bytes = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(key.get(), L"UninstallString", nullptr, &type,
                       reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.back() = L'\0';
  return kv::RegisteredCommand{value.data(), static_cast<std::uint32_t>(type)};
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
  const std::vector<std::wstring> drivers = listDrivers();
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
    const std::optional<std::wstring> command =
        kv::uninstallCommandLine(code, registeredCommand(code));
    if (command && hung(*command)) products.hung.insert(code);
  }
}

// The cleaner's note of pending removals: its key, in the 64-bit view.
constexpr wchar_t kNoteKey[] = L"SOFTWARE\\NOVAX\\kvcleaner";

// True when there is a note: sized, then read.
bool readNote() {
  kv::UniqueRegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNoteKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    key.put()) != ERROR_SUCCESS) {
    return false;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), kv::kPendingRemovalsValueName, nullptr, nullptr, nullptr,
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  std::string bytes(size, '\0');
  return RegQueryValueExW(key.get(), kv::kPendingRemovalsValueName, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS;
}

// The note of the maker's queues, the very bytes the cleaner writes.
bool writeNote(const std::vector<Printer>& queues) {
  std::string bytes = kv::encodePendingRemovals({});
  for (const Printer& queue : queues) kv::appendPendingRemoval(bytes, queue.driver, queue.port);
  kv::UniqueRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNoteKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
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
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNoteKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, key.put()) ==
      ERROR_SUCCESS) {
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
  bool noteStored = readNote();
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
  if (noteStored) deleteNote();

  uninstallPass(installer, products);
  for (const std::wstring& code : products.codes) {
    if (products.chosen.contains(code) && installer.property(code, L"ProductName")) ++failures;
  }
  return failures > 0 ? 1 : 0;
}
