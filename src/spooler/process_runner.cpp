#include "spooler/process_runner.h"

#include "log/logger.h"
#include "system/exception_boundary.h"

namespace kv {

ProcessRunner& ProcessRunner::current() {
  return currentInstance<ProcessRunner>(platformProcessRunner);
}

// An exception (running out of memory while the command line is prepared) counts as a child that
// could not be started, with nothing traced or reported, as the phase expects of one.
ProcessOutcome runChildProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) {
  releaseLogFileLock();
  return callWithoutRaising(
      ProcessOutcome{},
      [&] { return ProcessRunner::current().runProcess(commandLine, timeLimitMs); }, [] {});
}

bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) {
  return runChildProcess(commandLine, timeLimitMs).end == ProcessOutcome::End::Exited;
}

}  // namespace kv
