#include "spooler/inventory.h"

#include "spooler/error_reporting.h"
#include "spooler/print_spooler.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"

namespace kv {
namespace {

constexpr std::uint32_t kPrinterLevelFull = 2;
constexpr std::uint32_t kDriverLevelNames = 1;
constexpr std::uint32_t kPortLevelWithMonitors = 2;

std::optional<EnumerationAnswer> enumeratePrinters(PrintSpooler& spooler, std::uint32_t flags,
                                                   const EnumerationSite& site) {
  return enumerateWithSizing(
      spooler,
      [&](std::uint8_t* buffer, std::uint32_t size, std::uint32_t* needed,
          std::uint32_t* returned) {
        return spooler.enumPrintersW(flags, nullptr, kPrinterLevelFull, buffer, size, needed,
                                     returned);
      },
      site);
}

void reportDone(const wchar_t* functionName, std::int32_t line) {
  vMciReportError(0, functionName, line, L"", kReportFormPlatform);
}

}  // namespace

bool bMciEntryConnectionList(NameList& connectionNames, NameList& driverNames) {
  constexpr const wchar_t* kFunction = L"bMciEntryConnectionList";
  const auto answer =
      enumeratePrinters(PrintSpooler::current(), kPrinterEnumConnections,
                        {kFunction, L"EnumPrinters", report_site::kConnectionListAllocation,
                         report_site::kConnectionListEnumeration});
  if (!answer) return false;
  for (const PrinterInfo2& printer : answer->records<PrinterInfo2>()) {
    connectionNames.push_back(answer->text(printer.pPrinterName));
    driverNames.push_back(answer->text(printer.pDriverName));
  }
  reportDone(kFunction, report_site::kConnectionListDone);
  return true;
}

bool bMciEntryQueue_Driver_PortList(NameList* queueNames, NameList* driverNames,
                                    NameList* portNames) {
  constexpr const wchar_t* kFunction = L"bMciEntryQueue_Driver_PortList";
  const auto answer =
      enumeratePrinters(PrintSpooler::current(), kPrinterEnumLocal,
                        {kFunction, L"EnumPrinters", report_site::kQueueListAllocation,
                         report_site::kQueueListEnumeration});
  if (!answer) return false;
  for (const PrinterInfo2& printer : answer->records<PrinterInfo2>()) {
    if (queueNames != nullptr) queueNames->push_back(answer->text(printer.pPrinterName));
    if (driverNames != nullptr) driverNames->push_back(answer->text(printer.pDriverName));
    if (portNames != nullptr) portNames->push_back(answer->text(printer.pPortName));
  }
  reportDone(kFunction, report_site::kQueueListDone);
  return true;
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
