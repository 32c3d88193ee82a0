#include "support/allocation_failure.h"

#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

namespace kv::test {
namespace {

// The smallest allocation that fails; one thread runs the tests.
std::size_t failingSize = std::numeric_limits<std::size_t>::max();

}  // namespace

ScopedAllocationFailure::ScopedAllocationFailure(std::size_t bytes)
    : previous_(std::exchange(failingSize, bytes)) {}

ScopedAllocationFailure::~ScopedAllocationFailure() { failingSize = previous_; }

}  // namespace kv::test

// Every unaligned form of new and delete is replaced, so that what one gives is freed the way
// it was taken also where a sanitizer stands in for the library's own forms.
void* operator new(std::size_t size) {
  if (size >= kv::test::failingSize) throw std::bad_alloc();
  if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
