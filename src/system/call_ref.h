#pragma once

namespace kv {

// A callable passed down for the length of one call, by reference: unlike std::function it never
// allocates, so a wrapper that sees every call of a seam costs the call next to nothing.
class CallRef {
 public:
  template <typename Callable>
  CallRef(const Callable& callable)  // NOLINT(google-explicit-constructor): takes lambdas as is
      : callable_(&callable),
        invoke_([](const void* stored) { (*static_cast<const Callable*>(stored))(); }) {}

  void operator()() const { invoke_(callable_); }

 private:
  const void* callable_;
  void (*invoke_)(const void*);
};

}  // namespace kv
