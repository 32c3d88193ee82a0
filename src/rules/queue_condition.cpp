#include "rules/queue_condition.h"

#include "log/logger.h"
#include "messages/result_codes.h"
#include "spooler/status_checks.h"

namespace kv {

std::int32_t VerifyQueueCondition(const std::wstring& queueName, std::uint32_t access) {
  Logger& log = detailLog();
  log.debug() << L"Verifying pre-existing queue current status and condition before taking "
                 L"action against the queue."
              << endLine;
  const auto status = static_cast<std::uint32_t>(bMciGetPrinterStatus(queueName, access));
  std::int32_t result = 0;
  if (status & kQueueBusyMask) {
    log.debug() << L"[BUSY] bMciGetPrinterStatus (Status=" << status << L")" << endLine;
    result = kResultBusy;
  }
  if (status & kQueuePrintingMask) {
    log.debug() << L"[NOWPRINTING] bMciGetPrinterStatus (Status=" << status << L")" << endLine;
    result = kResultNowPrinting;
  } else if (bMciHasPrinterJobs(queueName, access)) {
    log.debug() << L"[NOWPRINTING] bMciHasPrinterJobs" << endLine;
    result = kResultNowPrinting;
  }
  return result;
}

}  // namespace kv
