#pragma once

#include <cstdint>
#include <string>

namespace kv {

// The two message forms of a failure line in the trace log. Form 2 marks a port monitor's own
// status answer rather than a platform last-error value.
inline constexpr std::int32_t kReportFormPlatform = 1;
inline constexpr std::int32_t kReportFormMonitorStatus = 2;

// Records `code` as the last error code of the print-system wrappers. A code other than 0 is
// also described on one Debug line of the trace log, in the given form; a form other than 1 or
// 2 stores the code and writes nothing. `line` names the report site (see report_sites.h).
void vMciReportError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                     const std::wstring& apiName, std::int32_t form);

// The code of the most recent report: 0 after a success, else the platform's error code or a
// port monitor's status. Reading it changes nothing.
std::int32_t dwMciGetLastError();

}  // namespace kv
