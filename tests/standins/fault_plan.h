#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace kv {

// The failures a test has planned for the operations of an in-memory stand-in: the next call of
// an operation (after some that pass), or every call until the plan is dropped.
template <typename Operation>
class FaultPlan {
 public:
  // The next `passing` calls of `operation` run as usual; the one after them fails with `code`.
  // Once only.
  void failNext(Operation operation, std::uint32_t code, int passing) {
    planned_[operation] = Planned{code, passing, false};
  }
  // Every call of `operation` fails with `code` until stop.
  void failAlways(Operation operation, std::uint32_t code) {
    planned_[operation] = Planned{code, 0, true};
  }
  void stop(Operation operation) { planned_.erase(operation); }

  // For a call of `operation` now: the code it fails with, or nothing when it runs as usual.
  std::optional<std::uint32_t> take(Operation operation) {
    const auto found = planned_.find(operation);
    if (found == planned_.end()) return std::nullopt;
    Planned& planned = found->second;
    if (!planned.always && planned.passing > 0) {
      --planned.passing;
      return std::nullopt;
    }
    const std::uint32_t code = planned.code;
    if (!planned.always) planned_.erase(found);
    return code;
  }

 private:
  struct Planned {
    std::uint32_t code = 0;
    int passing = 0;
    bool always = false;
  };
  std::map<Operation, Planned> planned_;
};

}  // namespace kv
