// No exception leaves a wrapper: one raised inside (running out of memory above all) becomes the
// wrapper's documented failure, reported with code 8 when the platform holds none.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "spooler/inventory.h"
#include "spooler/port_deletion.h"
#include "spooler/process_runner.h"
#include "spooler/removals.h"
#include "spooler/report_sites.h"
#include "spooler/status_checks.h"
#include "support/allocation_failure.h"
#include "wrapper_test.h"

namespace kv {
namespace {

using Op = SpoolerOperation;
using test::reportLine;

void fill(MemoryPrintSystem& memory) {
  memory.addConnection({L"\\\\srv\\KV 1", L"KV Driver 1"});
  memory.addQueue({L"Queue A", L"KV Driver 1", L"LPT1:"});
  memory.addQueue({L"Queue B", L"KV Driver 2", L"LPT2:"});
  memory.addDriver(L"KV Driver 1");
  memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
  memory.addMonitor(L"DeviceLinkMonitor");
}

class WrapperBoundaryTest : public test::WrapperTest {
 protected:
  WrapperBoundaryTest() { fill(memory); }
};

TEST_F(WrapperBoundaryTest, ExceptionInsideAWrapperIsItsFailureWithCode8) {
  struct Case {
    const char* function;
    Op raisingCall;  // the spooler call after which the exception is raised
    std::function<bool()> givesItsFailure;
    std::int32_t site;
    std::string apiName = "malloc";
  };
  NameList names;
  NameList drivers;
  PortInfoList ports;
  const Case cases[] = {
      {"bMciEntryConnectionList", Op::EnumPrinters,
       [&] { return !bMciEntryConnectionList(names, drivers); },
       report_site::kConnectionListUnexpected},
      {"bMciEntryQueue_Driver_PortList", Op::EnumPrinters,
       [&] { return !bMciEntryQueue_Driver_PortList(&names, nullptr, nullptr); },
       report_site::kQueueListUnexpected},
      {"bMciEntryQueue_Driver_PortList", Op::EnumPrinters,
       [] { return !bMciEntryQueue_Driver_PortList([](std::wstring, std::wstring) {}); },
       report_site::kQueueListUnexpected},
      {"bMciEntryDriverList", Op::EnumPrinterDrivers, [&] { return !bMciEntryDriverList(drivers); },
       report_site::kDriverListUnexpected},
      {"bMciEntryPortInfoList", Op::EnumPorts, [&] { return !bMciEntryPortInfoList(ports); },
       report_site::kPortListUnexpected},
      {"bMciDeletePrinterConnection", Op::DeletePrinterConnection,
       [] { return !bMciDeletePrinterConnection(L"\\\\srv\\KV 1"); },
       report_site::kConnectionUnexpected},
      {"bMciDeletePrinter", Op::DeletePrinter, [] { return !bMciDeletePrinter(L"Queue A"); },
       report_site::kQueueUnexpected},
      {"bMciDeletePrinterDriverEx", Op::DeletePrinterDriverEx,
       [] { return !bMciDeletePrinterDriverEx(L"KV Driver 1"); }, report_site::kDriverUnexpected},
      {"bMciDeletePort", Op::XcvData,
       [] { return !bMciDeletePort(L"DL1", L"DeviceLinkMonitor", 0); },
       report_site::kMonitorUnexpected},
      {"bMciRemovePort", Op::DeletePort, [] { return !bMciRemovePort(L"LPT1:"); },
       report_site::kPortRemovalUnexpected},
      {"bMciGetPrinterStatus", Op::GetPrinter, [] { return bMciGetPrinterStatus(L"Queue A") == 0; },
       report_site::kStatusUnexpected, "bMciGetPrinterStatus GetPrinter failer."},
      {"bMciHasPrinterJobs", Op::GetPrinter, [] { return !bMciHasPrinterJobs(L"Queue A"); },
       report_site::kJobsUnexpected},
  };
  for (const Case& c : cases) {
    for (const bool outOfMemory : {true, false}) {
      // A machine of its own, since the call may have done its work before the exception.
      MemoryPrintSystem machine;
      fill(machine);
      ScopedPrintSpooler installedMachine(machine);
      // A leftover of an earlier call is no code of the exception's.
      machine.setLeftoverErrorOnSuccess(183);
      vMciReportError(kUntouched, L"test", 0, L"", 0);
      machine.afterNextCall(c.raisingCall, [outOfMemory] {
        if (outOfMemory) throw std::bad_alloc();
        throw std::length_error("any other exception");
      });
      const std::size_t tracedBefore = trace.text().size();
      EXPECT_TRUE(c.givesItsFailure()) << c.function;
      EXPECT_EQ(dwMciGetLastError(), 8) << c.function;
      EXPECT_TRUE(trace.text().ends_with(reportLine(1, 8, c.apiName, c.function, c.site)))
          << c.function << "\n"
          << trace.text().substr(tracedBefore);
      EXPECT_EQ(machine.openHandleCount(), 0u) << c.function;
    }
  }
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(drivers.empty());
  EXPECT_TRUE(ports.empty());
}

// The lookup calls no spooler; its only allocation is the name it gives.
TEST_F(WrapperBoundaryTest, MonitorLookupThatRunsOutOfMemoryGivesNoName) {
  const std::wstring monitor(64 * 1024, L'M');
  const PortInfoList inventory = {{L"P1", monitor, kPortKindOther, L"", 0}};
  std::wstring name = L"stale";
  {
    test::ScopedAllocationFailure noMemory(monitor.size());
    name = MciGetPortMonitorName(L"P1", inventory);
  }
  EXPECT_EQ(name, L"");
  EXPECT_EQ(dwMciGetLastError(), 8);
  EXPECT_EQ(trace.text(), reportLine(1, 8, "malloc", "MciGetPortMonitorName",
                                     report_site::kMonitorLookupUnexpected));
  EXPECT_EQ(MciGetPortMonitorName(L"P1", inventory), monitor);
}

// Memory runs out while the answer is copied into the lists, after the first queue: the lists
// hold what they held before, as after any failed snapshot.
TEST_F(WrapperBoundaryTest, SnapshotIsAppendedWholeOrNotAtAll) {
  memory.queues()[1].name = std::wstring(64 * 1024, L'Q');
  std::optional<test::ScopedAllocationFailure> noMemory;
  // Armed once the fetch has answered, so that the answer's own buffer is still allocated.
  memory.afterNextCall(Op::EnumPrinters, [&] {
    memory.afterNextCall(Op::EnumPrinters, [&] { noMemory.emplace(64 * 1024); });
  });
  NameList names{L"kept"};
  NameList drivers{L"kept"};
  NameList ports{L"kept"};
  EXPECT_FALSE(bMciEntryQueue_Driver_PortList(&names, &drivers, &ports));
  noMemory.reset();
  EXPECT_EQ(names, NameList{L"kept"});
  EXPECT_EQ(drivers, NameList{L"kept"});
  EXPECT_EQ(ports, NameList{L"kept"});
  EXPECT_EQ(dwMciGetLastError(), 8);
  EXPECT_EQ(memory.openHandleCount(), 0u);
}

// What a visit raises is the caller's own failure: it leaves the listing, which is done.
TEST_F(WrapperBoundaryTest, ExceptionOfAQueueVisitLeavesTheListing) {
  int visits = 0;
  EXPECT_THROW(bMciEntryQueue_Driver_PortList([&](std::wstring, std::wstring) {
                 ++visits;
                 throw std::bad_alloc();
               }),
               std::bad_alloc);
  EXPECT_EQ(visits, 1);
  EXPECT_EQ(dwMciGetLastError(), 0);
  EXPECT_EQ(trace.text(), "");
}

class RaisingRunner : public ProcessRunner {
 public:
  ProcessOutcome runProcess(const std::wstring&, std::uint32_t) override { throw std::bad_alloc(); }
};

// A runner that raises is a child that could not be started: false, nothing recorded or traced.
TEST_F(WrapperBoundaryTest, RunnerThatRaisesGivesFalse) {
  RaisingRunner runner;
  ScopedProcessRunner installedRunner(runner);
  EXPECT_FALSE(bMciRunProcess(L"MsiExec.exe /X{A} /Qn", 300000));
  EXPECT_EQ(dwMciGetLastError(), kUntouched);
  EXPECT_EQ(trace.text(), "");
}

}  // namespace
}  // namespace kv
