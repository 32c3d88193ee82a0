#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "spooler/error_reporting.h"
#include "spooler/print_spooler.h"
#include "system/exception_boundary.h"

namespace kv {

// The reports the wrappers write about the platform's own calls, in message form 1 unless a
// failed call says otherwise.

// Records `code` for the platform call `apiName` made by `functionName` at report site `line`:
// 0 with an empty name after a success, else the call's failure code.
void reportPlatformError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                         const std::wstring& apiName);

// A platform call that failed in a wrapper.
struct FailedCall {
  const wchar_t* functionName;  // the wrapper
  std::int32_t line;            // its report site
  const wchar_t* apiName;       // the platform call
  std::wstring subject;         // what the call was given; empty: the failure is not traced
  std::int32_t form = kReportFormPlatform;
};

// Reports `call` with `code`, which the caller takes right after the call failed, because the
// trace line may change the platform's last error: "Error : <api>(<subject>)" is traced unless
// the subject is empty, then the code is reported in the call's form.
void reportFailedCall(std::int32_t code, const FailedCall& call);

// A failed OpenPrinterW of `name`, with the spooler's code.
void reportOpenPrinterFailure(PrintSpooler& spooler, const std::wstring& name,
                              const wchar_t* functionName, std::int32_t line);

// The platform call named when memory cannot be had.
inline constexpr wchar_t kAllocationApi[] = L"malloc";

// Reports an exception that would have left the wrapper `functionName`, at report site `line`
// under `apiName`, with code 8 (ERROR_NOT_ENOUGH_MEMORY): running out of memory is what raises
// here, and whatever the platform's last-error value holds belongs to an earlier call.
void reportUnexpectedFailure(const std::wstring& functionName, std::int32_t line,
                             const std::wstring& apiName);

// The body of a wrapper, which never raises: an exception is reported as above and `failure`,
// the wrapper's documented failure, is returned instead.
template <typename Result, typename Body>
Result guardWrapper(Result failure, const wchar_t* functionName, std::int32_t line,
                    const wchar_t* apiName, Body&& body) {
  return callWithoutRaising(std::move(failure), std::forward<Body>(body),
                            [&] { reportUnexpectedFailure(functionName, line, apiName); });
}

}  // namespace kv
