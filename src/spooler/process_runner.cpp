#include "spooler/process_runner.h"

#include "log/logger.h"
#include "system/exception_boundary.h"

namespace kv {

ProcessRunner& ProcessRunner::current() {
  return currentInstance<ProcessRunner>(platformProcessRunner);
}

// An exception (running out of memory while the command line is prepared) counts as a child that
// could not be started: false, with nothing traced or reported, as the phase expects of one.
bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) {
  releaseLogFileLock();
  return callWithoutRaising(
      false, [&] { return ProcessRunner::current().runProcess(commandLine, timeLimitMs); }, [] {});
}

}  // namespace kv
