#pragma once

#include <cstdint>
#include <string>

#include "system/scoped_instance.h"

namespace kv {

// How a child started by the runner ended.
struct ProcessOutcome {
  enum class End { NotStarted, TimedOut, Exited };
  End end = End::NotStarted;
  std::uint32_t exitCode = 0;  // the child's own, when it Exited
  friend bool operator==(const ProcessOutcome&, const ProcessOutcome&) = default;
};

// Runs child processes for the cleaner: one command line at a time, bounded by a time limit.
// One implementation per platform; tests install their own through ScopedProcessRunner.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;

  // Starts `commandLine` (the program is its first token, found by the platform's usual search)
  // with a hidden window in this process's current directory, and waits up to `timeLimitMs`
  // milliseconds for it to end. Exited with its exit code when the child ended within the limit;
  // the trace log then gets "GetExitCodeProcess(<code>)". TimedOut when the child was still
  // running at the limit: it is killed and the trace log gets "Process has timed out ! (<limit>
  // msec)". NotStarted at once, tracing and reporting nothing, when the child cannot be started
  // (an empty command line, a missing program). When this process's current
  // directory cannot be read, "_getcwd error: <reason>" goes to standard error and the child
  // starts all the same, in the directory it inherits. Blocks for up to the limit.
  virtual ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static ProcessRunner& current();
};

// The platform's own runner: CreateProcessW on Windows, posix_spawnp on POSIX systems; lives for
// the whole process.
ProcessRunner& platformProcessRunner();

// Installs another instance as ProcessRunner::current() for the lifetime of the scope.
using ScopedProcessRunner = ScopedInstance<ProcessRunner>;

// For the platform runners: writes "_getcwd error: <description of errorNumber>" and a line end
// to standard error, as the C library's perror does.
void reportCurrentDirectoryFailure(int errorNumber);

// Runs one command line through ProcessRunner::current() and tells how it ended. The last error
// code of the wrappers (dwMciGetLastError) is left as it was. Never raises: an exception in the
// runner gives NotStarted.
ProcessOutcome runChildProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs);

// The same, true when the child was started and did not run into `timeLimitMs`.
bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs);

}  // namespace kv
