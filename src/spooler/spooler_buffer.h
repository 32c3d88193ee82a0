#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace kv {

// A zero-filled byte buffer that holds a spooler answer for the length of one call. Running
// out of memory leaves it unallocated instead of throwing, because the wrappers report that
// like any other failure.
class SpoolerBuffer {
 public:
  explicit SpoolerBuffer(std::size_t size);
  SpoolerBuffer(SpoolerBuffer&&) = default;
  SpoolerBuffer& operator=(SpoolerBuffer&&) = default;

  bool allocated() const { return bytes_ != nullptr; }
  std::uint8_t* data() { return bytes_.get(); }
  const std::uint8_t* data() const { return bytes_.get(); }
  std::size_t size() const { return bytes_ != nullptr ? size_ : 0; }
  // The size as the spooler's 32-bit size argument; a larger buffer is offered only in part.
  std::uint32_t sizeArgument() const {
    constexpr std::size_t largest = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(size() < largest ? size() : largest);
  }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_;
};

// While one lives, every SpoolerBuffer comes out unallocated, as when memory runs out; tests
// reach the wrappers' out-of-memory paths with it.
class ScopedSpoolerAllocationFailure {
 public:
  ScopedSpoolerAllocationFailure();
  ~ScopedSpoolerAllocationFailure();
  ScopedSpoolerAllocationFailure(const ScopedSpoolerAllocationFailure&) = delete;
  ScopedSpoolerAllocationFailure& operator=(const ScopedSpoolerAllocationFailure&) = delete;
};

}  // namespace kv
