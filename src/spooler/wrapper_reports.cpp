#include "spooler/wrapper_reports.h"

#include "log/logger.h"
#include "spooler/error_reporting.h"
#include "spooler/spooler_error.h"

namespace kv {

void reportPlatformError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                         const std::wstring& apiName) {
  vMciReportError(code, functionName, line, apiName, kReportFormPlatform);
}

void reportOpenPrinterFailure(PrintSpooler& spooler, const std::wstring& name,
                              const std::wstring& functionName, std::int32_t line) {
  const std::int32_t code = platformErrorCode(spooler);
  if (!name.empty()) {
    traceLog().debug() << L"Error : OpenPrinter(" << name << L")" << endLine;
  }
  reportPlatformError(code, functionName, line, L"OpenPrinter");
}

void reportUnexpectedFailure(const std::wstring& functionName, std::int32_t line,
                             const std::wstring& apiName) {
  reportPlatformError(static_cast<std::int32_t>(kErrorNotEnoughMemory), functionName, line,
                      apiName);
}

}  // namespace kv
