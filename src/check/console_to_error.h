#pragma once

#include <string_view>

#include "system/system_services.h"

namespace kv {

// While the check reads the machine, what the shared code prints on standard output (the
// product discovery's "ERROR: failed with error code …" lines) goes to standard error instead:
// standard output carries the report alone, so that -J gives one clean JSON document. Installs
// itself over the current services for its lifetime.
class ConsoleToError : public SystemServicesWrapper {
 public:
  ConsoleToError() : SystemServicesWrapper(SystemServices::current()), installed_(*this) {}

  void writeConsole(ConsoleStream, std::wstring_view text) override {
    SystemServicesWrapper::writeConsole(ConsoleStream::Err, text);
  }

 private:
  ScopedSystemServices installed_;
};

}  // namespace kv
