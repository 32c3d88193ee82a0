#pragma once

#include <cstddef>

namespace kv::test {

// While one lives, every allocation of at least `bytes` bytes through the global operator new
// throws std::bad_alloc, as when memory runs out; smaller ones still succeed, so that the code
// under test can go on to report the failure. Only test programs that link the
// kv_test_allocation object library have this operator new.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(std::size_t bytes);
  ~ScopedAllocationFailure();
  ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
  ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;

 private:
  std::size_t previous_;
};

}  // namespace kv::test
