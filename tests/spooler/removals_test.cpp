#include "spooler/removals.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "spooler/report_sites.h"
#include "wrapper_test.h"

namespace kv {
namespace {

using Op = SpoolerOperation;
using test::reportLine;

// One removal: how the print system is prepared, what is called, and what must follow.
struct Case {
  const char* what;
  std::function<void(MemoryPrintSystem&)> prepare;
  std::function<bool()> remove;
  bool result;
  std::int32_t code;
  std::string traced;
  std::vector<std::wstring> calls;
};

void fill(MemoryPrintSystem& memory) {
  memory.addConnection({L"\\\\srv\\KV 1", L"KV Driver 1"});
  memory.addQueue({L"Queue A", L"KV Driver 1", L"LPT1:"});
  memory.addDriver(L"KV Driver 1");
  memory.addDriver(L"KV Driver 2");
  memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
  // A clean-up call that reset the last-error value would show as this code.
  memory.setLeftoverErrorOnSuccess(183);
}

void runCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    MemoryPrintSystem memory;
    ScopedPrintSpooler installed(memory);
    fill(memory);
    if (c.prepare) c.prepare(memory);
    vMciReportError(424242, L"test", 0, L"", 0);
    test::TraceCapture trace;
    EXPECT_EQ(c.remove(), c.result) << c.what;
    EXPECT_EQ(dwMciGetLastError(), c.code) << c.what;
    EXPECT_EQ(trace.text(), c.traced) << c.what;
    EXPECT_EQ(memory.calls(), c.calls) << c.what;
    EXPECT_EQ(memory.openHandleCount(), 0u) << c.what;
  }
}

TEST(RemovalsTest, ConnectionRemoval) {
  const auto remove = [](const wchar_t* name) {
    return [name] { return bMciDeletePrinterConnection(name); };
  };
  runCases({
      {"existing",
       nullptr,
       remove(L"\\\\srv\\KV 1"),
       true,
       0,
       "",
       {L"DeletePrinterConnectionW(\\\\srv\\KV 1)"}},
      {"already gone",
       nullptr,
       remove(L"\\\\srv\\Gone"),
       true,
       0,
       "Debug: Error : DeletePrinterConnection(\\\\srv\\Gone)\r\n",
       {L"DeletePrinterConnectionW(\\\\srv\\Gone)"}},
      {"refused",
       [](MemoryPrintSystem& m) { m.failNext(Op::DeletePrinterConnection, 5); },
       remove(L"\\\\srv\\KV 1"),
       false,
       5,
       "Debug: Error : DeletePrinterConnection(\\\\srv\\KV 1)\r\n" +
           reportLine(1, 5, "DeletePrinterConnection", "bMciDeletePrinterConnection",
                      report_site::kConnectionDeletion),
       {L"DeletePrinterConnectionW(\\\\srv\\KV 1)"}},
      {"refused without a name",
       [](MemoryPrintSystem& m) { m.failNext(Op::DeletePrinterConnection, 1722); },
       remove(L""),
       false,
       1722,
       reportLine(1, 1722, "DeletePrinterConnection", "bMciDeletePrinterConnection",
                  report_site::kConnectionDeletion),
       {L"DeletePrinterConnectionW()"}},
  });
}

TEST(RemovalsTest, QueueRemoval) {
  const auto remove = [](const wchar_t* name) {
    return [name] { return bMciDeletePrinter(name); };
  };
  runCases({
      {"existing",
       nullptr,
       remove(L"Queue A"),
       true,
       0,
       "",
       {L"OpenPrinterW(Queue A, 983052)", L"DeletePrinter(h1)", L"ClosePrinter(h1)"}},
      {"missing",
       nullptr,
       remove(L"Queue Z"),
       false,
       1801,
       "Debug: Error : OpenPrinter(Queue Z)\r\n" +
           reportLine(1, 1801, "OpenPrinter", "bMciDeletePrinter", report_site::kQueueOpen),
       {L"OpenPrinterW(Queue Z, 983052)"}},
      {"open refused without a name",
       [](MemoryPrintSystem& m) { m.failNext(Op::OpenPrinter, 5); },
       remove(L""),
       false,
       5,
       reportLine(1, 5, "OpenPrinter", "bMciDeletePrinter", report_site::kQueueOpen),
       {L"OpenPrinterW(, 983052)"}},
      {"deletion refused",
       [](MemoryPrintSystem& m) { m.failNext(Op::DeletePrinter, 5); },
       remove(L"Queue A"),
       false,
       5,
       reportLine(1, 5, "DeletePrinter", "bMciDeletePrinter", report_site::kQueueDeletion),
       {L"OpenPrinterW(Queue A, 983052)", L"DeletePrinter(h1)", L"ClosePrinter(h1)"}},
  });
}

TEST(RemovalsTest, QueueIsGoneAfterRemoval) {
  test::FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed(memory);
  fill(memory);
  ASSERT_TRUE(bMciDeletePrinter(L"Queue A"));
  EXPECT_TRUE(memory.queues().empty());
  // The driver is held by that queue and a connection; once both are gone it goes too.
  EXPECT_FALSE(bMciDeletePrinterDriverEx(L"KV Driver 1"));
  EXPECT_EQ(dwMciGetLastError(), static_cast<std::int32_t>(kErrorPrinterDriverInUse));
  ASSERT_TRUE(bMciDeletePrinterConnection(L"\\\\srv\\KV 1"));
  EXPECT_TRUE(bMciDeletePrinterDriverEx(L"KV Driver 1"));
  EXPECT_EQ(memory.drivers().size(), 1u);
}

TEST(RemovalsTest, DriverRemoval) {
  const auto remove = [](const wchar_t* name) {
    return [name] { return bMciDeletePrinterDriverEx(name); };
  };
  runCases({
      {"unused",
       nullptr,
       remove(L"KV Driver 2"),
       true,
       0,
       "",
       {L"DeletePrinterDriverExW(null, null, KV Driver 2, 1, 3)"}},
      {"not installed",
       nullptr,
       remove(L"KV Driver 9"),
       true,
       0,
       "",
       {L"DeletePrinterDriverExW(null, null, KV Driver 9, 1, 3)"}},
      {"used by a queue",
       nullptr,
       remove(L"KV Driver 1"),
       false,
       3001,
       "Debug: Error : DeletePrinterDriverEx(KV Driver 1)\r\n" +
           reportLine(1, 3001, "DeletePrinterDriverEx", "bMciDeletePrinterDriverEx",
                      report_site::kDriverDeletion),
       {L"DeletePrinterDriverExW(null, null, KV Driver 1, 1, 3)"}},
      {"under WOW64: the machine's own",
       nullptr,
       [] {
         test::FakeSystemServices wow64;
         wow64.printEnvironment = L"Windows x64";
         return bMciDeletePrinterDriverEx(L"KV Driver 2");
       },
       true,
       0,
       "",
       {L"DeletePrinterDriverExW(null, Windows x64, KV Driver 2, 1, 3)"}},
      {"refused as Wine does",
       [](MemoryPrintSystem& m) { m.failNext(Op::DeletePrinterDriverEx, 87); },
       remove(L"KV Driver 2"),
       false,
       87,
       "Debug: Error : DeletePrinterDriverEx(KV Driver 2)\r\n" +
           reportLine(1, 87, "DeletePrinterDriverEx", "bMciDeletePrinterDriverEx",
                      report_site::kDriverDeletion),
       {L"DeletePrinterDriverExW(null, null, KV Driver 2, 1, 3)"}},
  });
}

TEST(RemovalsTest, SpoolerPortRemoval) {
  const auto remove = [](const wchar_t* name) { return [name] { return bMciRemovePort(name); }; };
  runCases({
      {"existing",
       [](MemoryPrintSystem& m) {
         m.addPort({L"LPT2:", L"Local Monitor", L"Local Port", 1});
       },
       remove(L"LPT2:"),
       true,
       0,
       "",
       {L"DeletePortW(null, null, LPT2:)"}},
      {"a queue's",
       nullptr,
       remove(L"LPT1:"),
       false,
       170,
       reportLine(1, 170, "DeletePort", "bMciRemovePort", report_site::kPortRemoval),
       {L"DeletePortW(null, null, LPT1:)"}},
      {"missing",
       nullptr,
       remove(L"LPT9:"),
       false,
       1796,
       reportLine(1, 1796, "DeletePort", "bMciRemovePort", report_site::kPortRemoval),
       {L"DeletePortW(null, null, LPT9:)"}},
  });
}

}  // namespace
}  // namespace kv
