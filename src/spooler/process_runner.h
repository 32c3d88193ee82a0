#pragma once

#include <cstdint>
#include <string>

#include "system/scoped_instance.h"

namespace kv {

// Runs child processes for the cleaner: one command line at a time, bounded by a time limit.
// One implementation per platform; tests install their own through ScopedProcessRunner.
class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;

  // Starts `commandLine` (the program is its first token, found by the platform's usual search)
  // with a hidden window in this process's current directory, and waits up to `timeLimitMs`
  // milliseconds for it to end. Returns true when the child ended within the limit, whatever
  // its exit code; the trace log then gets "GetExitCodeProcess(<code>)". Returns false when the
  // child was still running at the limit: it is killed and the trace log gets "Process has timed
  // out ! (<limit> msec)". Returns false at once, tracing and reporting nothing, when the child
  // cannot be started (an empty command line, a missing program). When this process's current
  // directory cannot be read, "_getcwd error: <reason>" goes to standard error and the child
  // starts all the same, in the directory it inherits. Blocks for up to the limit.
  virtual bool runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static ProcessRunner& current();
};

// The platform's own runner: CreateProcessW on Windows, posix_spawnp on POSIX systems; lives for
// the whole process.
ProcessRunner& platformProcessRunner();

// Installs another instance as ProcessRunner::current() for the lifetime of the scope.
using ScopedProcessRunner = ScopedInstance<ProcessRunner>;

// Runs one command line through ProcessRunner::current(): true when it was started and did not
// run into `timeLimitMs`, false when it could not be started or was killed at the limit. The
// last error code of the wrappers (dwMciGetLastError) is left as it was. Never raises: an
// exception in the runner gives false, as a child that could not be started.
bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs);

}  // namespace kv
