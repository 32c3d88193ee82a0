#include "spooler/error_reporting.h"

#include "log/logger.h"

namespace kv {
namespace {

std::int32_t lastErrorCode = 0;

}  // namespace

void vMciReportError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                     const std::wstring& apiName, std::int32_t form) {
  lastErrorCode = code;
  if (code == 0) return;
  if (form == kReportFormPlatform) {
    traceLog().debug() << L"Error 1 code: " << code << L" API [" << apiName << L"] invoked in "
                       << functionName << L" before line " << line << endLine;
  } else if (form == kReportFormMonitorStatus) {
    traceLog().debug() << L"Error 2 code: " << code << L"API [" << apiName << L"] invoked in "
                       << functionName << L" before line " << line << endLine;
  }
}

std::int32_t dwMciGetLastError() { return lastErrorCode; }

}  // namespace kv
