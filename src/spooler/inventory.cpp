#include "spooler/inventory.h"

#include "spooler/print_spooler.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"
#include "spooler/wrapper_reports.h"

namespace kv {
namespace {

constexpr std::uint32_t kPrinterLevelFull = 2;
constexpr std::uint32_t kDriverLevelNames = 1;
constexpr std::uint32_t kPortLevelWithMonitors = 2;

void reportDone(const wchar_t* functionName, std::int32_t line) {
  reportPlatformError(0, functionName, line, L"");
}

// Connections and local queues come from the same enumeration, which differs only in its flags
// and report sites; names go only to the lists that were given.
bool entryPrinterLists(std::uint32_t flags, const EnumerationSite& site, std::int32_t doneLine,
                       NameList* printerNames, NameList* driverNames, NameList* portNames) {
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
  for (const PrinterInfo2& printer : answer->records<PrinterInfo2>()) {
    if (printerNames != nullptr) printerNames->push_back(answer->text(printer.pPrinterName));
    if (driverNames != nullptr) driverNames->push_back(answer->text(printer.pDriverName));
    if (portNames != nullptr) portNames->push_back(answer->text(printer.pPortName));
  }
  reportDone(site.functionName, doneLine);
  return true;
}

}  // namespace

bool bMciEntryConnectionList(NameList& connectionNames, NameList& driverNames) {
  return entryPrinterLists(
      kPrinterEnumConnections,
      {L"bMciEntryConnectionList", L"EnumPrinters", report_site::kConnectionListAllocation,
       report_site::kConnectionListEnumeration},
      report_site::kConnectionListDone, &connectionNames, &driverNames, nullptr);
}

bool bMciEntryQueue_Driver_PortList(NameList* queueNames, NameList* driverNames,
                                    NameList* portNames) {
  return entryPrinterLists(kPrinterEnumLocal,
                           {L"bMciEntryQueue_Driver_PortList", L"EnumPrinters",
                            report_site::kQueueListAllocation, report_site::kQueueListEnumeration},
                           report_site::kQueueListDone, queueNames, driverNames, portNames);
}

bool bMciEntryDriverList(NameList& driverNames) {
  constexpr const wchar_t* kFunction = L"bMciEntryDriverList";
  PrintSpooler& spooler = PrintSpooler::current();
  const auto answer =
      enumerateWithSizing(spooler,
                          [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
                              std::uint32_t* returned) {
                            return spooler.enumPrinterDriversW(nullptr, nullptr, kDriverLevelNames,
                                                               buffer, size, needed, returned);
                          },
                          {kFunction, L"EnumPrinterDrivers", report_site::kDriverListAllocation,
                           report_site::kDriverListEnumeration});
  if (!answer) return false;
  for (const DriverInfo1& driver : answer->records<DriverInfo1>()) {
    driverNames.push_back(answer->text(driver.pName));
  }
  reportDone(kFunction, report_site::kDriverListDone);
  return true;
}

bool bMciEntryPortInfoList(PortInfoList& ports) {
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
  for (const PortInfo2& port : answer->records<PortInfo2>()) {
    portinfo_s entry;
    entry.portName = answer->text(port.pPortName);
    if (port.pMonitorName != nullptr) {
      entry.monitorName = answer->text(port.pMonitorName);
      entry.kind = portKindOfEnumeratedMonitor(entry.monitorName);
    } else {
      entry.kind = kPortKindNoMonitor;
    }
    entry.description = answer->text(port.pDescription);
    entry.portType = port.fPortType;
    ports.push_back(std::move(entry));
  }
  reportDone(kFunction, report_site::kPortListDone);
  return true;
}

}  // namespace kv
