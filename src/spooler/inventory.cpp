#include "spooler/inventory.h"

#include <array>
#include <cstddef>
#include <exception>
#include <optional>
#include <string>

#include "spooler/port_monitors.h"
#include "spooler/print_spooler.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"
#include "spooler/wrapper_reports.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr std::uint32_t kPrinterLevelFull = 2;
constexpr std::uint32_t kDriverLevelNames = 1;
constexpr std::uint32_t kPortLevelWithMonitors = 2;

void reportDone(const wchar_t* functionName, std::int32_t line) {
  reportPlatformError(0, functionName, line, L"");
}

// Runs `append`, which adds one answer of `count` entries to the lists (a null list is not
// given). Each list first makes room for them all, so that a long answer is not moved to a
// larger block again and again, each time beside the one before. When it raises, every list is
// cut back to what it held before and the exception goes on to the wrapper's boundary: a
// snapshot is appended whole or not at all.
template <typename Append, typename... List>
void appendAllOrNothing(std::size_t count, Append append, List*... lists) {
  const std::array<std::size_t, sizeof...(List)> sizes{(lists != nullptr ? lists->size() : 0)...};
  try {
    ((lists != nullptr ? lists->reserve(lists->size() + count) : void()), ...);
    append();
  } catch (...) {
    std::size_t index = 0;
    const auto cutBack = [&](auto* list) {
      const std::size_t size = sizes[index++];
      if (list != nullptr) list->erase(list->begin() + size, list->end());
    };
    (cutBack(lists), ...);
    throw;
  }
}

constexpr const wchar_t* kQueueListFunction = L"bMciEntryQueue_Driver_PortList";
constexpr EnumerationSite kQueueListSite{kQueueListFunction, L"EnumPrinters",
                                         report_site::kQueueListAllocation,
                                         report_site::kQueueListEnumeration};

// Connections and local queues come from the same enumeration, which differs only in its flags
// and report sites; `take` takes from the answer what its caller needs.
template <typename Take>
bool entryPrinters(std::uint32_t flags, const EnumerationSite& site, std::int32_t doneLine,
                   Take take) {
  PrintSpooler& spooler = PrintSpooler::current();
  const auto answer = enumerateWithSizing(
      spooler,
      [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
          std::uint32_t* returned) {
        return spooler.enumPrintersW(flags, nullptr, kPrinterLevelFull, buffer, size, needed,
                                     returned);
      },
      site);
  if (!answer) return false;
  take(*answer);
  reportDone(site.functionName, doneLine);
  return true;
}

// Names go only to the lists that were given.
bool entryPrinterLists(std::uint32_t flags, const EnumerationSite& site, std::int32_t doneLine,
                       NameList* printerNames, NameList* driverNames, NameList* portNames) {
  return entryPrinters(flags, site, doneLine, [&](const EnumerationAnswer& answer) {
    appendAllOrNothing(
        answer.count<PrinterInfo2>(),
        [&] {
          answer.forEachRecord<PrinterInfo2>([&](const PrinterInfo2& printer) {
            if (printerNames != nullptr) printerNames->push_back(answer.text(printer.pPrinterName));
            if (driverNames != nullptr) driverNames->push_back(answer.text(printer.pDriverName));
            if (portNames != nullptr) portNames->push_back(answer.text(printer.pPortName));
          });
        },
        printerNames, driverNames, portNames);
  });
}

// Hands each queue's driver name and port text to `visit`. What `visit` raises is its caller's
// failure, not the listing's: it ends the visits and is kept in `raised` for the caller.
void visitQueues(const EnumerationAnswer& answer, const QueueVisit& visit,
                 std::exception_ptr& raised) {
  answer.forEachRecord<PrinterInfo2>([&](const PrinterInfo2& queue) {
    if (raised) return;
    std::wstring driver = answer.text(queue.pDriverName);
    std::wstring port = answer.text(queue.pPortName);
    try {
      visit(std::move(driver), std::move(port));
    } catch (...) {
      raised = std::current_exception();
    }
  });
}

bool entryDriverList(NameList& driverNames, const std::optional<std::wstring>& environment) {
  constexpr const wchar_t* kFunction = L"bMciEntryDriverList";
  PrintSpooler& spooler = PrintSpooler::current();
  const auto answer = enumerateWithSizing(
      spooler,
      [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
          std::uint32_t* returned) {
        return spooler.enumPrinterDriversW(nullptr, environment ? environment->c_str() : nullptr,
                                           kDriverLevelNames, buffer, size, needed, returned);
      },
      {kFunction, L"EnumPrinterDrivers", report_site::kDriverListAllocation,
       report_site::kDriverListEnumeration});
  if (!answer) return false;
  appendAllOrNothing(
      answer->count<DriverInfo1>(),
      [&] {
        answer->forEachRecord<DriverInfo1>(
            [&](const DriverInfo1& driver) { driverNames.push_back(answer->text(driver.pName)); });
      },
      &driverNames);
  reportDone(kFunction, report_site::kDriverListDone);
  return true;
}

// Every port, or with `wanted` only the ports it takes by name.
bool entryPortInfoList(PortInfoList& ports, const PortNameTest* wanted) {
  constexpr const wchar_t* kFunction = L"bMciEntryPortInfoList";
  PrintSpooler& spooler = PrintSpooler::current();
  const auto answer = enumerateWithSizing(
      spooler,
      [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
          std::uint32_t* returned) {
        return spooler.enumPortsW(nullptr, kPortLevelWithMonitors, buffer, size, needed, returned);
      },
      {kFunction, L"EnumPorts", report_site::kPortListAllocation,
       report_site::kPortListEnumeration});
  if (!answer) return false;
  const auto taken = [&](const PortInfo2& port) {
    return wanted == nullptr || (*wanted)(answer->view(port.pPortName));
  };
  std::size_t count = 0;
  answer->forEachRecord<PortInfo2>([&](const PortInfo2& port) { count += taken(port) ? 1 : 0; });
  appendAllOrNothing(
      count,
      [&] {
        answer->forEachRecord<PortInfo2>([&](const PortInfo2& port) {
          if (!taken(port)) return;
          portinfo_s entry;
          entry.portName = answer->text(port.pPortName);
          if (port.pMonitorName != nullptr) {
            entry.monitorName = answer->text(port.pMonitorName);
            entry.kind = portMonitorEnumeratedAs(entry.monitorName).kind;
          } else {
            entry.kind = kPortKindNoMonitor;
          }
          entry.description = answer->text(port.pDescription);
          entry.portType = port.fPortType;
          ports.push_back(std::move(entry));
        });
      },
      &ports);
  reportDone(kFunction, report_site::kPortListDone);
  return true;
}

}  // namespace

bool bMciEntryConnectionList(NameList& connectionNames, NameList& driverNames) {
  constexpr const wchar_t* kFunction = L"bMciEntryConnectionList";
  return guardWrapper(
      false, kFunction, report_site::kConnectionListUnexpected, kAllocationApi, [&] {
        return entryPrinterLists(
            kPrinterEnumConnections,
            {kFunction, L"EnumPrinters", report_site::kConnectionListAllocation,
             report_site::kConnectionListEnumeration},
            report_site::kConnectionListDone, &connectionNames, &driverNames, nullptr);
      });
}

bool bMciEntryQueue_Driver_PortList(NameList* queueNames, NameList* driverNames,
                                    NameList* portNames) {
  return guardWrapper(
      false, kQueueListFunction, report_site::kQueueListUnexpected, kAllocationApi, [&] {
        return entryPrinterLists(kPrinterEnumLocal, kQueueListSite, report_site::kQueueListDone,
                                 queueNames, driverNames, portNames);
      });
}

bool bMciEntryQueue_Driver_PortList(const QueueVisit& visit) {
  std::exception_ptr raised;
  const bool listed = guardWrapper(
      false, kQueueListFunction, report_site::kQueueListUnexpected, kAllocationApi, [&] {
        return entryPrinters(
            kPrinterEnumLocal, kQueueListSite, report_site::kQueueListDone,
            [&](const EnumerationAnswer& answer) { visitQueues(answer, visit, raised); });
      });
  if (raised) std::rethrow_exception(raised);
  return listed;
}

bool bMciEntryDriverList(NameList& driverNames) {
  return guardWrapper(
      false, L"bMciEntryDriverList", report_site::kDriverListUnexpected, kAllocationApi, [&] {
        // The machine's own drivers (those its queues use), from the 32-bit program too.
        return entryDriverList(driverNames, SystemServices::current().nativePrintEnvironment());
      });
}

bool bMciEntryDriverList(NameList& driverNames, const std::wstring& environment) {
  return guardWrapper(false, L"bMciEntryDriverList", report_site::kDriverListUnexpected,
                      kAllocationApi, [&] { return entryDriverList(driverNames, environment); });
}

bool bMciEntryPortInfoList(PortInfoList& ports) {
  return guardWrapper(false, L"bMciEntryPortInfoList", report_site::kPortListUnexpected,
                      kAllocationApi, [&] { return entryPortInfoList(ports, nullptr); });
}

bool bMciEntryPortInfoList(PortInfoList& ports, const PortNameTest& wanted) {
  return guardWrapper(false, L"bMciEntryPortInfoList", report_site::kPortListUnexpected,
                      kAllocationApi, [&] { return entryPortInfoList(ports, &wanted); });
}

}  // namespace kv
