#include "spooler/process_runner.h"

namespace kv {

ProcessRunner* ProcessRunner::installed_ = nullptr;

ProcessRunner& ProcessRunner::current() {
  return installed_ != nullptr ? *installed_ : platformProcessRunner();
}

ScopedProcessRunner::ScopedProcessRunner(ProcessRunner& runner)
    : previous_(ProcessRunner::installed_) {
  ProcessRunner::installed_ = &runner;
}

ScopedProcessRunner::~ScopedProcessRunner() { ProcessRunner::installed_ = previous_; }

bool bMciRunProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) {
  return ProcessRunner::current().runProcess(commandLine, timeLimitMs);
}

}  // namespace kv
