#pragma once

#include <utility>

namespace kv {

// The process-wide instance of a seam (system services, print spooler, installer service,
// process runner): the one a test installed, else the platform's own.

// The installed instance of `Interface`, null when none is.
template <typename Interface>
Interface*& installedInstance() {
  static Interface* instance = nullptr;
  return instance;
}

// The installed instance, else the one `platformDefault` gives.
template <typename Interface>
Interface& currentInstance(Interface& (*platformDefault)()) {
  Interface* installed = installedInstance<Interface>();
  return installed != nullptr ? *installed : platformDefault();
}

// Installs `replacement` as the current instance for the lifetime of this object; scopes nest,
// and leaving one puts back what was installed before.
template <typename Interface>
class ScopedInstance {
 public:
  explicit ScopedInstance(Interface& replacement)
      : previous_(std::exchange(installedInstance<Interface>(), &replacement)) {}
  ~ScopedInstance() { installedInstance<Interface>() = previous_; }
  ScopedInstance(const ScopedInstance&) = delete;
  ScopedInstance& operator=(const ScopedInstance&) = delete;

 private:
  Interface* previous_;
};

}  // namespace kv
