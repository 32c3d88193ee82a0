#include "spooler/status_checks.h"

#include <cstring>
#include <string>

#include "log/logger.h"
#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "spooler/report_sites.h"
#include "spooler/spooler_buffer.h"
#include "spooler/spooler_error.h"
#include "spooler/wrapper_reports.h"

namespace kv {
namespace {

constexpr std::uint32_t kStatusLevel = 6;
constexpr std::uint32_t kFullRecordLevel = 2;

// A failed GetPrinterW is traced with the size it answered.
FailedCall queryFailure(const wchar_t* functionName, std::int32_t line, std::uint32_t needed) {
  return {functionName, line, L"GetPrinter", std::to_wstring(needed)};
}

std::int32_t readPrinterStatus(PrintSpooler& spooler, const std::wstring& queueName,
                               std::uint32_t access) {
  constexpr const wchar_t* kFunction = L"bMciGetPrinterStatus";
  PrinterHandle queue(spooler);
  if (!queue.open(queueName, access)) {
    reportOpenPrinterFailure(spooler, queueName, kFunction, report_site::kStatusQueueOpen);
    return kPrinterStatusUnavailable;
  }
  std::uint32_t needed = 0;
  spooler.getPrinterW(queue.get(), kStatusLevel, nullptr, 0, &needed);
  if (needed == 0) {
    const std::int32_t code = platformErrorCode(spooler);
    queue.close();
    reportFailedCall(code, queryFailure(kFunction, report_site::kStatusSizeQuery, needed));
    return kPrinterStatusUnavailable;
  }
  // Whole 32-bit words, at least one more than the size asked for.
  SpoolerBuffer buffer((std::size_t{needed} / 4 + 1) * 4);
  if (!buffer.allocated()) {
    reportPlatformError(allocationErrorCode(spooler), kFunction, report_site::kStatusUnexpected,
                        L"bMciGetPrinterStatus GetPrinter failer.");
    return 0;
  }
  if (!spooler.getPrinterW(queue.get(), kStatusLevel, buffer.data(), buffer.sizeArgument(),
                           &needed)) {
    const std::int32_t code = platformErrorCode(spooler);
    queue.close();
    reportFailedCall(code, queryFailure(kFunction, report_site::kStatusQuery, needed));
    return 0;
  }
  std::uint32_t statusWord = 0;
  std::memcpy(&statusWord, buffer.data(), sizeof statusWord);
  const auto status = static_cast<std::int32_t>(statusWord);
  queue.close();
  traceLog().debug() << L"Return : bMciGetPrinterStatus = " << status << endLine;
  return status;
}

bool readPrinterJobs(const std::wstring& queueName, std::uint32_t access) {
  constexpr const wchar_t* kFunction = L"bMciHasPrinterJobs";
  Logger& trace = traceLog();
  if (!queueName.empty()) {
    trace.debug() << L"bMciHasPrinterJobs : Printer(" << queueName << L")" << endLine;
  }
  PrintSpooler& spooler = PrintSpooler::current();
  PrinterHandle queue(spooler);
  if (!queue.open(queueName, access)) {
    reportOpenPrinterFailure(spooler, queueName, kFunction, report_site::kJobsQueueOpen);
    return false;
  }
  std::uint32_t needed = 0;
  const bool sizeQuerySucceeded =
      spooler.getPrinterW(queue.get(), kFullRecordLevel, nullptr, 0, &needed);
  if (needed == 0) {
    const std::int32_t code = platformErrorCode(spooler);
    queue.close();
    reportFailedCall(code, queryFailure(kFunction, report_site::kJobsSizeQuery, needed));
    return sizeQuerySucceeded;
  }
  // Whole records, at least one more than the size asked for, so that one full record is
  // always there to read.
  constexpr std::size_t kRecordSize = sizeof(PrinterInfo2);
  SpoolerBuffer buffer((std::size_t{needed} / kRecordSize + 1) * kRecordSize);
  if (!buffer.allocated()) {
    const std::int32_t code = allocationErrorCode(spooler);
    queue.close();
    reportPlatformError(code, kFunction, report_site::kJobsAllocation, L"malloc");
    return false;
  }
  if (!spooler.getPrinterW(queue.get(), kFullRecordLevel, buffer.data(), buffer.sizeArgument(),
                           &needed)) {
    const std::int32_t code = platformErrorCode(spooler);
    queue.close();
    reportFailedCall(code, queryFailure(kFunction, report_site::kJobsQuery, needed));
    return false;
  }
  PrinterInfo2 printer{};
  std::memcpy(&printer, buffer.data(), sizeof printer);
  const std::uint32_t jobs = printer.cJobs;
  trace.debug() << L"Number of Job : " << jobs << endLine;
  queue.close();
  reportPlatformError(0, kFunction, report_site::kJobsAnswered, L"");
  return jobs > 0;
}

}  // namespace

// An unexpected failure reads as a failed query.
std::int32_t bMciGetPrinterStatus(const std::wstring& queueName, std::uint32_t access) {
  return guardWrapper(std::int32_t{0}, L"bMciGetPrinterStatus", report_site::kStatusUnexpected,
                      L"bMciGetPrinterStatus GetPrinter failer.", [&] {
                        return readPrinterStatus(PrintSpooler::current(), queueName, access);
                      });
}

bool bMciHasPrinterJobs(const std::wstring& queueName, std::uint32_t access) {
  return guardWrapper(false, L"bMciHasPrinterJobs", report_site::kJobsUnexpected, kAllocationApi,
                      [&] { return readPrinterJobs(queueName, access); });
}

}  // namespace kv
