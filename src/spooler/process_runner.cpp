#include "spooler/process_runner.h"

#include <cstring>

#include "log/logger.h"
#include "system/exception_boundary.h"
#include "system/system_services.h"

namespace kv {

ProcessRunner& ProcessRunner::current() {
  return currentInstance<ProcessRunner>(platformProcessRunner);
}

void reportCurrentDirectoryFailure(int errorNumber) {
  SystemServices& system = SystemServices::current();
  system.writeConsole(ConsoleStream::Err,
                      L"_getcwd error: " + system.ansiToWide(std::strerror(errorNumber)) + L"\n");
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
