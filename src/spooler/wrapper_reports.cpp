#include "spooler/wrapper_reports.h"

#include "log/logger.h"
#include "spooler/error_reporting.h"
#include "spooler/spooler_error.h"

namespace kv {

void reportPlatformError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                         const std::wstring& apiName) {
  vMciReportError(code, functionName, line, apiName, kReportFormPlatform);
}

void reportFailedCall(std::int32_t code, const FailedCall& call) {
  if (!call.subject.empty()) {
    traceLog().debug() << L"Error : " << call.apiName << L"(" << call.subject << L")" << endLine;
  }
  vMciReportError(code, call.functionName, call.line, call.apiName, call.form);
}

void reportOpenPrinterFailure(PrintSpooler& spooler, const std::wstring& name,
                              const wchar_t* functionName, std::int32_t line) {
  reportFailedCall(platformErrorCode(spooler), {functionName, line, L"OpenPrinter", name});
}

void reportUnexpectedFailure(const std::wstring& functionName, std::int32_t line,
                             const std::wstring& apiName) {
  reportPlatformError(static_cast<std::int32_t>(kErrorNotEnoughMemory), functionName, line,
                      apiName);
}

}  // namespace kv
