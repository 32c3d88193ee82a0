#pragma once

#include <utility>

namespace kv {

// The boundary of an operation that promises never to raise, such as the print-system wrappers:
// runs `body` and gives its result. An exception that would leave it (std::bad_alloc above all,
// but anything) is handed to `onFailure`, which reports it, and `failure` is given instead. A
// report that raises in turn is dropped, so nothing leaves.
template <typename Result, typename Body, typename OnFailure>
Result callWithoutRaising(Result failure, Body&& body, OnFailure&& onFailure) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    try {
      std::forward<OnFailure>(onFailure)();
    } catch (...) {
    }
    return failure;
  }
}

}  // namespace kv
