#include "trace_capture.h"

#include <gtest/gtest.h>

#include "log/logger.h"
#include "support/file_text.h"

namespace kv::test {

TraceCapture::TraceCapture() {
  EXPECT_TRUE(traceLog().open(dir_.child(L"trace.log")));
  traceLog().setLevel(LogLevel::All);
}

TraceCapture::~TraceCapture() {
  traceLog().setLevel(LogLevel::Off);
  traceLog().close();
}

std::string TraceCapture::text() const { return readBytes(dir_.path() / "trace.log"); }

}  // namespace kv::test
