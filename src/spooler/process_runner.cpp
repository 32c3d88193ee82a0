#include "spooler/process_runner.h"

namespace kv {

ProcessRunner& ProcessRunner::current() {
  return currentInstance<ProcessRunner>(platformProcessRunner);
}

bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) {
  return ProcessRunner::current().runProcess(commandLine, timeLimitMs);
}

}  // namespace kv
