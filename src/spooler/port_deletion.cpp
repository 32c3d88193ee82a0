#include "spooler/port_deletion.h"

#include <string>
#include <vector>

#include "log/logger.h"
#include "spooler/error_reporting.h"
#include "spooler/port_monitors.h"
#include "spooler/port_records.h"
#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "spooler/report_sites.h"
#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"
#include "system/utf16_text.h"

namespace kv {
namespace {

constexpr const wchar_t* kFunction = L"bMciDeletePort";
constexpr const wchar_t* kXcvMonitorPrefix = L",XcvMonitor ";
// The transceive name is held in 256 characters with its terminator, after the 12 of the prefix.
constexpr std::size_t kMaxMonitorNameLength = 243;

// Names that do not fit the monitor's input record or the transceive name are refused before
// anything is built, instead of being cut to a name that could belong to another port.
bool refuseNameThatDoesNotFit(const std::u16string& portName, const std::u16string& monitorName,
                              const std::wstring& widePort, const std::wstring& wideMonitor) {
  // Each refusal is reported as a failed call named after its problem.
  const auto refuse = [](std::int32_t line, const wchar_t* problem, const std::wstring& name) {
    reportFailedCall(static_cast<std::int32_t>(kErrorInvalidParameter),
                     {kFunction, line, problem, name});
    return true;
  };
  if (portName.size() > kMaxRecordPortNameLength) {
    return refuse(report_site::kPortNameTooLong, L"Port name too long", widePort);
  }
  if (monitorName.size() > kMaxMonitorNameLength) {
    return refuse(report_site::kMonitorNameTooLong, L"Monitor name too long", wideMonitor);
  }
  return false;
}

bool deletePortThroughMonitor(const std::wstring& portName, const std::wstring& monitorName,
                              std::uint32_t protocol) {
  Logger& trace = traceLog();
  if (!portName.empty()) trace.debug() << L"Deleting port:" << portName << endLine;

  const std::u16string portUnits = toUtf16(portName);
  if (refuseNameThatDoesNotFit(portUnits, toUtf16(monitorName), portName, monitorName)) {
    return false;
  }

  const PortMonitor& reached = portMonitorReachedAs(monitorName);
  if (reached.protocolOf != nullptr) {
    trace.debug() << L"Delete Monitor :" << monitorName << endLine;
    if (protocol != 0) trace.debug() << L"Delete Protocol:" << protocol << endLine;
  }
  const std::vector<std::uint8_t> record = reached.deletePortRecord(portUnits, protocol);

  PrintSpooler& spooler = PrintSpooler::current();
  const std::wstring transceiveName = kXcvMonitorPrefix + monitorName;
  PrinterHandle monitor(spooler);
  if (!monitor.open(transceiveName, kServerAccessAdminister)) {
    // The transceive name is never empty, so the failure is always traced with it.
    reportOpenPrinterFailure(spooler, transceiveName, kFunction, report_site::kMonitorOpen);
    return false;
  }
  trace.debug() << L"Monitor Name : OpenPrinter(" << transceiveName << L")" << endLine;

  std::uint32_t outputNeeded = 0;
  std::uint32_t status = 0;
  if (!spooler.xcvDataW(monitor.get(), L"DeletePort", record.data(),
                        static_cast<std::uint32_t>(record.size()), nullptr, 0, &outputNeeded,
                        &status)) {
    reportFailedCall(platformErrorCode(spooler),
                     {kFunction, report_site::kMonitorCall, L"XcvData", L"DeletePort"});
    return false;
  }
  if (status != 0) {
    reportFailedCall(static_cast<std::int32_t>(status),
                     {kFunction, report_site::kMonitorStatus, L"XcvData",
                      L"DeletePort, " + std::to_wstring(status), kReportFormMonitorStatus});
    return false;
  }
  trace.debug() << L"XcvData(DeletePort) dwStatus:(" << status << L")" << endLine;
  monitor.close();
  reportPlatformError(0, kFunction, report_site::kMonitorPortDeleted, L"");
  return true;
}

std::wstring lookUpMonitorName(const std::wstring& portName, const PortInventoryIndex& ports) {
  const portinfo_s* port = ports.find(portName);
  if (port == nullptr) return std::wstring();
  return monitorNameReaching(port->monitorName, port->description);
}

}  // namespace

bool bMciDeletePort(const std::wstring& portName, const std::wstring& monitorName,
                    std::uint32_t protocol) {
  return guardWrapper(false, kFunction, report_site::kMonitorUnexpected, kAllocationApi,
                      [&] { return deletePortThroughMonitor(portName, monitorName, protocol); });
}

// An empty name is what a port missing from the inventory gives.
std::wstring MciGetPortMonitorName(const std::wstring& portName, const PortInventoryIndex& ports) {
  return guardWrapper(std::wstring(), L"MciGetPortMonitorName",
                      report_site::kMonitorLookupUnexpected, kAllocationApi,
                      [&] { return lookUpMonitorName(portName, ports); });
}

std::wstring MciGetPortMonitorName(const std::wstring& portName, const PortInfoList& ports) {
  return guardWrapper(std::wstring(), L"MciGetPortMonitorName",
                      report_site::kMonitorLookupUnexpected, kAllocationApi,
                      [&] { return lookUpMonitorName(portName, PortInventoryIndex(ports)); });
}

}  // namespace kv
