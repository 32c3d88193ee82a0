#pragma once

#include <cstdint>

namespace kv {

// What the platform runners write, in one place: the Windows runner cannot include the logger
// next to <windows.h>, whose ERROR macro breaks LogLevel.

// Writes "_getcwd error: <description of errorNumber>" and a line end to standard error, as the
// C library's perror does.
void reportCurrentDirectoryFailure(int errorNumber);

// Traces "Process has timed out ! (<limit> msec)".
void traceProcessTimedOut(std::uint32_t timeLimitMs);

// Traces "GetExitCodeProcess(<code>)", the code in unsigned decimal.
void traceProcessExitCode(std::uint32_t exitCode);

}  // namespace kv
