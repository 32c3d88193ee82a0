#pragma once

#include <cstdint>
#include <string>

#include "spooler/print_spooler.h"

namespace kv {

// The reports the wrappers write about the platform's own calls, in message form 1.

// Records `code` for the platform call `apiName` made by `functionName` at report site `line`:
// 0 with an empty name after a success, else the call's failure code.
void reportPlatformError(std::int32_t code, const std::wstring& functionName, std::int32_t line,
                         const std::wstring& apiName);

// Reports a failed OpenPrinterW of `name`. The spooler's code is taken first, because the trace
// line that follows may change the platform's last error; "Error : OpenPrinter(<name>)" is traced
// unless the name is empty; then the code is reported as an "OpenPrinter" failure.
void reportOpenPrinterFailure(PrintSpooler& spooler, const std::wstring& name,
                              const std::wstring& functionName, std::int32_t line);

}  // namespace kv
