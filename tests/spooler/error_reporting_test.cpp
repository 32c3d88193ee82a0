#include "spooler/error_reporting.h"

#include <gtest/gtest.h>

#include "log/logger.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "trace_capture.h"

namespace kv {
namespace {

TEST(ErrorReportingTest, StoresTheCodeAndDescribesFailuresInTheirForm) {
  struct Case {
    std::int32_t code;
    const wchar_t* apiName;
    std::int32_t form;
    const char* traced;
  };
  const Case cases[] = {
      {1801, L"OpenPrinter", 1,
       "Debug: Error 1 code: 1801 API [OpenPrinter] invoked in bMciX before line 17\r\n"},
      {87, L"XcvData", 2,
       "Debug: Error 2 code: 87API [XcvData] invoked in bMciX before line 17\r\n"},
      {-5, L"GetPrinter", 1,
       "Debug: Error 1 code: -5 API [GetPrinter] invoked in bMciX before line 17\r\n"},
      {5, L"DeletePort", 0, ""},
      {5, L"DeletePort", 3, ""},
      {0, L"OpenPrinter", 1, ""},
      {0, L"XcvData", 2, ""},
  };
  test::FakeSystemServices system;
  for (const Case& c : cases) {
    vMciReportError(999, L"seed", 1, L"", 0);
    test::TraceCapture trace;
    vMciReportError(c.code, L"bMciX", 17, c.apiName, c.form);
    EXPECT_EQ(dwMciGetLastError(), c.code) << c.code << " form " << c.form;
    EXPECT_EQ(trace.text(), c.traced) << c.code << " form " << c.form;
  }
}

TEST(ErrorReportingTest, ReadingTheCodeChangesNothing) {
  vMciReportError(1797, L"bMciX", 1, L"DeletePrinterDriverEx", 1);
  EXPECT_EQ(dwMciGetLastError(), 1797);
  EXPECT_EQ(dwMciGetLastError(), 1797);
  vMciReportError(0, L"bMciX", 2, L"", 1);
  EXPECT_EQ(dwMciGetLastError(), 0);
}

TEST(ErrorReportingTest, TraceLogAtOffWritesNoLineAnywhere) {
  test::FakeSystemServices system;
  test::TempDir dir;
  ASSERT_EQ(traceLog().level(), LogLevel::Off);
  ASSERT_TRUE(traceLog().open(dir.child(L"trace.log")));  // a file, but the threshold stays OFF
  vMciReportError(5, L"bMciX", 3, L"DeletePrinter", 1);
  vMciReportError(87, L"bMciX", 4, L"XcvData", 2);
  traceLog().close();
  EXPECT_EQ(dwMciGetLastError(), 87);
  EXPECT_EQ(test::readBytes(dir.path() / "trace.log"), "");
}

}  // namespace
}  // namespace kv
