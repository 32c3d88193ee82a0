#include "timed_spooler.h"

namespace kv::bench {

void TimedSpooler::pass(SpoolerOperation, CallRef call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  inside_ += std::chrono::steady_clock::now() - start;
  ++calls_;
}

}  // namespace kv::bench
