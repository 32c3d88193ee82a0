#pragma once

#include <chrono>
#include <cstdint>

#include "spooler/print_spooler_wrapper.h"

namespace kv::bench {

// Forwards every call to the benchmark's print system and adds up the time spent inside it, so
// that the cleaner's own share of a run is the run's time less this.
class TimedSpooler final : public PrintSpoolerWrapper {
 public:
  using PrintSpoolerWrapper::PrintSpoolerWrapper;

  std::chrono::nanoseconds timeInside() const { return inside_; }
  std::uint64_t callCount() const { return calls_; }

 private:
  // Runs one forwarded call and books its time.
  void pass(SpoolerOperation, CallRef call) override;

  std::chrono::nanoseconds inside_{0};
  std::uint64_t calls_ = 0;
};

}  // namespace kv::bench
