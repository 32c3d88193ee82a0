#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "spooler/error_reporting.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "trace_capture.h"

namespace kv::test {

// A wrapper test: the in-memory print system installed as the spooler, the trace log captured,
// and the last error code set to a value no wrapper produces, so that a test sees whether a
// wrapper changed it.
class WrapperTest : public ::testing::Test {
 protected:
  static constexpr std::int32_t kUntouched = 424242;

  WrapperTest() { vMciReportError(kUntouched, L"test", 0, L"", 0); }

  FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed{memory};
  TraceCapture trace;
};

// The reporter's trace line for a failure: form 1 for a platform code, 2 for a monitor status.
inline std::string reportLine(int form, std::int32_t code, const std::string& apiName,
                              const std::string& functionName, std::int32_t line) {
  return "Debug: Error " + std::to_string(form) + " code: " + std::to_string(code) +
         (form == 1 ? " API [" : "API [") + apiName + "] invoked in " + functionName +
         " before line " + std::to_string(line) + "\r\n";
}

}  // namespace kv::test
