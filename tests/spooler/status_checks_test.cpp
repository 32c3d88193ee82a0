#include "spooler/status_checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "spooler/report_sites.h"
#include "spooler/spooler_buffer.h"
#include "wrapper_test.h"

namespace kv {
namespace {

using Op = SpoolerOperation;
using test::reportLine;

constexpr std::int32_t kBefore = 424242;

struct Fixture {
  Fixture() {
    memory.addQueue({L"Idle", L"KV 1", L"LPT1:", 0, 0});
    memory.addQueue({L"Printing", L"KV 1", L"LPT1:", 0x00000400, 3});
    memory.addQueue({L"Odd", L"KV 1", L"LPT1:", 0x80000000u, 1});
    memory.setLeftoverErrorOnSuccess(183);
    vMciReportError(kBefore, L"test", 0, L"", 0);
  }
  test::FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed{memory};
};

TEST(PrinterStatusTest, StatusWordOrFailureMark) {
  struct Case {
    const char* what;
    std::wstring queue;
    std::function<void(MemoryPrintSystem&)> prepare;
    std::int32_t status;
    std::int32_t code;  // kBefore: left as it was
    std::string traced;
  };
  const Case cases[] = {
      {"idle", L"Idle", nullptr, 0, kBefore, "Debug: Return : bMciGetPrinterStatus = 0\r\n"},
      {"printing", L"Printing", nullptr, 0x400, kBefore,
       "Debug: Return : bMciGetPrinterStatus = 1024\r\n"},
      {"top bit set", L"Odd", nullptr, static_cast<std::int32_t>(0x80000000u), kBefore,
       "Debug: Return : bMciGetPrinterStatus = -2147483648\r\n"},
      {"missing queue", L"Gone", nullptr, -1, 1801,
       "Debug: Error : OpenPrinter(Gone)\r\n" + reportLine(1, 1801, "OpenPrinter",
                                                           "bMciGetPrinterStatus",
                                                           report_site::kStatusQueueOpen)},
      {"open refused without a name", L"",
       [](MemoryPrintSystem& m) { m.failNext(Op::OpenPrinter, 5); }, -1, 5,
       reportLine(1, 5, "OpenPrinter", "bMciGetPrinterStatus", report_site::kStatusQueueOpen)},
      {"no size", L"Idle", [](MemoryPrintSystem& m) { m.failAlways(Op::GetPrinter, 5); }, -1, 5,
       "Debug: Error : GetPrinter(0)\r\n" +
           reportLine(1, 5, "GetPrinter", "bMciGetPrinterStatus", report_site::kStatusSizeQuery)},
      {"query fails", L"Idle", [](MemoryPrintSystem& m) { m.failNext(Op::GetPrinter, 1722, 1); }, 0,
       1722,
       "Debug: Error : GetPrinter(4)\r\n" +
           reportLine(1, 1722, "GetPrinter", "bMciGetPrinterStatus", report_site::kStatusQuery)},
  };
  for (const Case& c : cases) {
    Fixture f;
    if (c.prepare) c.prepare(f.memory);
    test::TraceCapture trace;
    EXPECT_EQ(bMciGetPrinterStatus(c.queue), c.status) << c.what;
    EXPECT_EQ(dwMciGetLastError(), c.code) << c.what;
    EXPECT_EQ(trace.text(), c.traced) << c.what;
    EXPECT_EQ(f.memory.openHandleCount(), 0u) << c.what;
  }
}

TEST(PrinterStatusTest, AsksLevelSixInWholeWords) {
  Fixture f;
  ASSERT_EQ(bMciGetPrinterStatus(L"Idle"), 0);
  EXPECT_EQ(f.memory.calls(), (std::vector<std::wstring>{
                                  L"OpenPrinterW(Idle, 983052)",
                                  L"GetPrinterW(h1, 6, null, 0)",
                                  L"GetPrinterW(h1, 6, buffer, 8)",
                                  L"ClosePrinter(h1)",
                              }));
}

TEST(PrinterStatusTest, OutOfMemoryReadsAsFailedQuery) {
  Fixture f;
  test::TraceCapture trace;
  ScopedSpoolerAllocationFailure noMemory;
  EXPECT_EQ(bMciGetPrinterStatus(L"Printing"), 0);
  EXPECT_EQ(dwMciGetLastError(), 122);  // what the platform holds after the sizing call
  EXPECT_EQ(trace.text(), reportLine(1, 122, "bMciGetPrinterStatus GetPrinter failer.",
                                     "bMciGetPrinterStatus", report_site::kStatusUnexpected));
  EXPECT_EQ(f.memory.openHandleCount(), 0u);
}

TEST(PrinterJobsTest, JobCountOfTheQueue) {
  struct Case {
    const char* what;
    std::wstring queue;
    std::function<void(MemoryPrintSystem&)> prepare;
    bool hasJobs;
    std::int32_t code;
    std::string traced;
  };
  const Case cases[] = {
      {"three jobs", L"Printing", nullptr, true, 0,
       "Debug: bMciHasPrinterJobs : Printer(Printing)\r\nDebug: Number of Job : 3\r\n"},
      {"idle", L"Idle", nullptr, false, 0,
       "Debug: bMciHasPrinterJobs : Printer(Idle)\r\nDebug: Number of Job : 0\r\n"},
      {"missing queue", L"Gone", nullptr, false, 1801,
       "Debug: bMciHasPrinterJobs : Printer(Gone)\r\nDebug: Error : OpenPrinter(Gone)\r\n" +
           reportLine(1, 1801, "OpenPrinter", "bMciHasPrinterJobs", report_site::kJobsQueueOpen)},
      {"open refused without a name", L"",
       [](MemoryPrintSystem& m) { m.failNext(Op::OpenPrinter, 5); }, false, 5,
       reportLine(1, 5, "OpenPrinter", "bMciHasPrinterJobs", report_site::kJobsQueueOpen)},
      {"no size", L"Printing", [](MemoryPrintSystem& m) { m.failAlways(Op::GetPrinter, 5); }, false,
       5,
       "Debug: bMciHasPrinterJobs : Printer(Printing)\r\nDebug: Error : GetPrinter(0)\r\n" +
           reportLine(1, 5, "GetPrinter", "bMciHasPrinterJobs", report_site::kJobsSizeQuery)},
      {"query fails", L"Printing",
       [](MemoryPrintSystem& m) { m.failNext(Op::GetPrinter, 1722, 1); }, false, 1722,
       "Debug: bMciHasPrinterJobs : Printer(Printing)\r\nDebug: Error : GetPrinter(" +
           std::to_string(sizeof(PrinterInfo2) + (9 + 5 + 6) * sizeof(wchar_t)) + ")\r\n" +
           reportLine(1, 1722, "GetPrinter", "bMciHasPrinterJobs", report_site::kJobsQuery)},
      {"queue grows between the calls", L"Printing",
       [](MemoryPrintSystem& m) {
         m.afterNextCall(Op::GetPrinter, [&m] { m.queues()[1].port = std::wstring(200, L'P'); });
       },
       false, 122,
       "Debug: bMciHasPrinterJobs : Printer(Printing)\r\nDebug: Error : GetPrinter(" +
           std::to_string(sizeof(PrinterInfo2) + (9 + 5 + 201) * sizeof(wchar_t)) + ")\r\n" +
           reportLine(1, 122, "GetPrinter", "bMciHasPrinterJobs", report_site::kJobsQuery)},
  };
  for (const Case& c : cases) {
    Fixture f;
    if (c.prepare) c.prepare(f.memory);
    test::TraceCapture trace;
    EXPECT_EQ(bMciHasPrinterJobs(c.queue), c.hasJobs) << c.what;
    EXPECT_EQ(dwMciGetLastError(), c.code) << c.what;
    EXPECT_EQ(trace.text(), c.traced) << c.what;
    EXPECT_EQ(f.memory.openHandleCount(), 0u) << c.what;
  }
}

TEST(PrinterJobsTest, AsksLevelTwoInWholeRecords) {
  Fixture f;
  ASSERT_TRUE(bMciHasPrinterJobs(L"Printing"));
  const std::size_t needed = sizeof(PrinterInfo2) + (9 + 5 + 6) * sizeof(wchar_t);
  const std::size_t offered = (needed / sizeof(PrinterInfo2) + 1) * sizeof(PrinterInfo2);
  EXPECT_EQ(f.memory.calls(), (std::vector<std::wstring>{
                                  L"OpenPrinterW(Printing, 983052)",
                                  L"GetPrinterW(h1, 2, null, 0)",
                                  L"GetPrinterW(h1, 2, buffer, " + std::to_wstring(offered) + L")",
                                  L"ClosePrinter(h1)",
                              }));
}

TEST(PrinterJobsTest, OutOfMemoryIsAFailure) {
  Fixture f;
  test::TraceCapture trace;
  ScopedSpoolerAllocationFailure noMemory;
  EXPECT_FALSE(bMciHasPrinterJobs(L"Printing"));
  EXPECT_EQ(dwMciGetLastError(), 122);
  EXPECT_EQ(trace.text(),
            "Debug: bMciHasPrinterJobs : Printer(Printing)\r\n" +
                reportLine(1, 122, "malloc", "bMciHasPrinterJobs", report_site::kJobsAllocation));
  EXPECT_EQ(f.memory.openHandleCount(), 0u);
}

}  // namespace
}  // namespace kv
