#include "spooler/removals.h"

#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "spooler/report_sites.h"
#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr std::uint32_t kDeleteUnusedFiles = 1;  // DPD_DELETE_UNUSED_FILES
constexpr std::uint32_t kDriverVersion = 3;

constexpr const wchar_t* kConnectionFunction = L"bMciDeletePrinterConnection";
constexpr const wchar_t* kQueueFunction = L"bMciDeletePrinter";
constexpr const wchar_t* kDriverFunction = L"bMciDeletePrinterDriverEx";
constexpr const wchar_t* kPortFunction = L"bMciRemovePort";

bool deleteConnection(const std::wstring& connectionName) {
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePrinterConnectionW(connectionName.c_str())) {
    reportPlatformError(0, kConnectionFunction, report_site::kConnectionDeleted, L"");
    return true;
  }
  const std::int32_t code = platformErrorCode(spooler);
  // A connection that is gone already is traced as the failed call it was, but counts as done.
  const bool alreadyGone = code == static_cast<std::int32_t>(kErrorFileNotFound);
  reportFailedCall(alreadyGone ? 0 : code, {kConnectionFunction,
                                            alreadyGone ? report_site::kConnectionAlreadyGone
                                                        : report_site::kConnectionDeletion,
                                            L"DeletePrinterConnection", connectionName});
  return alreadyGone;
}

bool deleteQueue(const std::wstring& queueName) {
  PrintSpooler& spooler = PrintSpooler::current();
  PrinterHandle queue(spooler);
  if (!queue.open(queueName, kPrinterAllAccess)) {
    reportOpenPrinterFailure(spooler, queueName, kQueueFunction, report_site::kQueueOpen);
    return false;
  }
  if (!spooler.deletePrinter(queue.get())) {
    reportPlatformError(platformErrorCode(spooler), kQueueFunction, report_site::kQueueDeletion,
                        L"DeletePrinter");
    return false;
  }
  queue.close();
  reportPlatformError(0, kQueueFunction, report_site::kQueueDeleted, L"");
  return true;
}

bool deleteDriver(const std::wstring& driverName, const std::optional<std::wstring>& environment) {
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePrinterDriverExW(nullptr, environment ? environment->c_str() : nullptr,
                                     driverName.c_str(), kDeleteUnusedFiles, kDriverVersion)) {
    reportPlatformError(0, kDriverFunction, report_site::kDriverDeleted, L"");
    return true;
  }
  const std::int32_t code = platformErrorCode(spooler);
  if (code == static_cast<std::int32_t>(kErrorUnknownPrinterDriver)) {
    reportPlatformError(0, kDriverFunction, report_site::kDriverAlreadyGone, L"");
    return true;
  }
  reportFailedCall(
      code, {kDriverFunction, report_site::kDriverDeletion, L"DeletePrinterDriverEx", driverName});
  return false;
}

bool removePort(const std::wstring& portName) {
  PrintSpooler& spooler = PrintSpooler::current();
  if (spooler.deletePortW(nullptr, nullptr, portName.c_str())) {
    reportPlatformError(0, kPortFunction, report_site::kPortRemoved, L"");
    return true;
  }
  reportPlatformError(platformErrorCode(spooler), kPortFunction, report_site::kPortRemoval,
                      L"DeletePort");
  return false;
}

}  // namespace

bool bMciDeletePrinterConnection(const std::wstring& connectionName) {
  return guardWrapper(false, kConnectionFunction, report_site::kConnectionUnexpected,
                      kAllocationApi, [&] { return deleteConnection(connectionName); });
}

bool bMciDeletePrinter(const std::wstring& queueName) {
  return guardWrapper(false, kQueueFunction, report_site::kQueueUnexpected, kAllocationApi,
                      [&] { return deleteQueue(queueName); });
}

bool bMciDeletePrinterDriverEx(const std::wstring& driverName) {
  return guardWrapper(false, kDriverFunction, report_site::kDriverUnexpected, kAllocationApi, [&] {
    // Under WOW64 the caller's own environment holds none of the machine's
    // drivers: each deletion there would fail with 1797 and count as done
    // while the driver stays.
    return deleteDriver(driverName, SystemServices::current().nativePrintEnvironment());
  });
}

bool bMciDeletePrinterDriverEx(const std::wstring& driverName, const std::wstring& environment) {
  return guardWrapper(false, kDriverFunction, report_site::kDriverUnexpected, kAllocationApi,
                      [&] { return deleteDriver(driverName, environment); });
}

bool bMciRemovePort(const std::wstring& portName) {
  return guardWrapper(false, kPortFunction, report_site::kPortRemovalUnexpected, kAllocationApi,
                      [&] { return removePort(portName); });
}

}  // namespace kv
