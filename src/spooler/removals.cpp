#include "spooler/removals.h"

#include "log/logger.h"
#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "spooler/report_sites.h"
#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"

namespace kv {
namespace {

constexpr std::uint32_t kDeleteUnusedFiles = 1;  // DPD_DELETE_UNUSED_FILES
constexpr std::uint32_t kDriverVersion = 3;

}  // namespace

bool bMciDeletePrinterConnection(const std::wstring& connectionName) {
  constexpr const wchar_t* kFunction = L"bMciDeletePrinterConnection";
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePrinterConnectionW(connectionName.c_str())) {
    reportPlatformError(0, kFunction, report_site::kConnectionDeleted, L"");
    return true;
  }
  const std::int32_t code = platformErrorCode(spooler);
  if (!connectionName.empty()) {
    traceLog().debug() << L"Error : DeletePrinterConnection(" << connectionName << L")" << endLine;
  }
  if (code == static_cast<std::int32_t>(kErrorFileNotFound)) {
    reportPlatformError(0, kFunction, report_site::kConnectionAlreadyGone, L"");
    return true;
  }
  reportPlatformError(code, kFunction, report_site::kConnectionDeletion,
                      L"DeletePrinterConnection");
  return false;
}

bool bMciDeletePrinter(const std::wstring& queueName) {
  constexpr const wchar_t* kFunction = L"bMciDeletePrinter";
  PrintSpooler& spooler = PrintSpooler::current();
  PrinterHandle queue(spooler);
  if (!queue.open(queueName, kPrinterAllAccess)) {
    reportOpenPrinterFailure(spooler, queueName, kFunction, report_site::kQueueOpen);
    return false;
  }
  if (!spooler.deletePrinter(queue.get())) {
    reportPlatformError(platformErrorCode(spooler), kFunction, report_site::kQueueDeletion,
                        L"DeletePrinter");
    return false;
  }
  queue.close();
  reportPlatformError(0, kFunction, report_site::kQueueDeleted, L"");
  return true;
}

bool bMciDeletePrinterDriverEx(const std::wstring& driverName) {
  constexpr const wchar_t* kFunction = L"bMciDeletePrinterDriverEx";
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePrinterDriverExW(nullptr, nullptr, driverName.c_str(), kDeleteUnusedFiles,
                                     kDriverVersion)) {
    reportPlatformError(0, kFunction, report_site::kDriverDeleted, L"");
    return true;
  }
  const std::int32_t code = platformErrorCode(spooler);
  if (code == static_cast<std::int32_t>(kErrorUnknownPrinterDriver)) {
    reportPlatformError(0, kFunction, report_site::kDriverAlreadyGone, L"");
    return true;
  }
  if (!driverName.empty()) {
    traceLog().debug() << L"Error : DeletePrinterDriverEx(" << driverName << L")" << endLine;
  }
  reportPlatformError(code, kFunction, report_site::kDriverDeletion, L"DeletePrinterDriverEx");
  return false;
}

bool bMciRemovePort(const std::wstring& portName) {
  constexpr const wchar_t* kFunction = L"bMciRemovePort";
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePortW(nullptr, nullptr, portName.c_str())) {
    reportPlatformError(0, kFunction, report_site::kPortRemoved, L"");
    return true;
  }
  reportPlatformError(platformErrorCode(spooler), kFunction, report_site::kPortRemoval,
                      L"DeletePort");
  return false;
}

}  // namespace kv
