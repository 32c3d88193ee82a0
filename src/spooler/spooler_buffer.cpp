#include "spooler/spooler_buffer.h"

#include <new>

namespace kv {
namespace {

int allocationFailures = 0;

}  // namespace

SpoolerBuffer::SpoolerBuffer(std::size_t size) : size_(size) {
  if (allocationFailures == 0) bytes_.reset(new (std::nothrow) std::uint8_t[size]());
}

ScopedSpoolerAllocationFailure::ScopedSpoolerAllocationFailure() { ++allocationFailures; }

ScopedSpoolerAllocationFailure::~ScopedSpoolerAllocationFailure() { --allocationFailures; }

}  // namespace kv
