#pragma once

#include <cstdint>
#include <set>

namespace kv {

// The handles a service without a platform behind it hands out: the numbers 1, 2, 3 … in order,
// each open until closed.
class HandleNumbers {
 public:
  std::uintptr_t open() {
    open_.insert(next_);
    return next_++;
  }
  bool isOpen(std::uintptr_t number) const { return open_.contains(number); }
  // False when `number` was not open.
  bool close(std::uintptr_t number) { return open_.erase(number) != 0; }

 private:
  std::set<std::uintptr_t> open_;
  std::uintptr_t next_ = 1;
};

}  // namespace kv
