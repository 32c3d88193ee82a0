#pragma once

#include <string>
#include <string_view>

#include "system/system_services.h"

namespace kv::test {

// The platform's services (or `target`) with standard output and standard error kept in memory
// instead of written; installs itself for its lifetime.
class ConsoleCapture : public SystemServicesWrapper {
 public:
  explicit ConsoleCapture(SystemServices& target = platformSystemServices())
      : SystemServicesWrapper(target) {}

  void writeConsole(ConsoleStream stream, std::wstring_view text) override {
    (stream == ConsoleStream::Out ? out : err) += text;
  }
  void writeReport(ConsoleStream stream, std::wstring_view text) override {
    writeConsole(stream, text);
  }

  std::wstring out;
  std::wstring err;

 private:
  ScopedSystemServices installed_{*this};
};

// The line the product discovery prints for a failed call, with the code in upper-case hex.
inline std::wstring failureLine(const std::wstring& hex, const std::wstring& call) {
  return L"ERROR: failed with error code 0x" + hex + L" (" + call + L")\n";
}

}  // namespace kv::test
