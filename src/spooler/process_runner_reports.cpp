#include "spooler/process_runner_reports.h"

#include <cstring>
#include <string>

#include "log/logger.h"
#include "system/system_services.h"

namespace kv {

void reportCurrentDirectoryFailure(int errorNumber) {
  SystemServices& system = SystemServices::current();
  system.writeConsole(ConsoleStream::Err,
                      L"_getcwd error: " + system.ansiToWide(std::strerror(errorNumber)) + L"\n");
}

void traceProcessTimedOut(std::uint32_t timeLimitMs) {
  traceLog().debug() << L"Process has timed out ! (" << timeLimitMs << L" msec)" << endLine;
}

void traceProcessExitCode(std::uint32_t exitCode) {
  traceLog().debug() << L"GetExitCodeProcess(" << exitCode << L")" << endLine;
}

}  // namespace kv
