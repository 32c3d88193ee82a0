#include "spooler/inventory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "spooler/print_spooler_wrapper.h"
#include "spooler/report_sites.h"
#include "spooler/sized_enumeration.h"
#include "spooler/spooler_buffer.h"
#include "wrapper_test.h"

namespace kv {
namespace {

using Op = SpoolerOperation;

class InventoryTest : public test::WrapperTest {};

bool samePort(const portinfo_s& a, const portinfo_s& b) {
  return a.portName == b.portName && a.monitorName == b.monitorName && a.kind == b.kind &&
         a.description == b.description && a.portType == b.portType;
}

TEST_F(InventoryTest, AppendsWhatTheSpoolerListsInItsOrder) {
  memory.addConnection({L"\\\\srv\\KV 1", L"KV Driver 1"});
  memory.addConnection({L"\\\\srv\\Other", std::nullopt});
  memory.addQueue({L"Queue B", L"KV Driver 2", L"IP_10.0.0.7"});
  memory.addQueue({L"Queue A", L"KV Driver 1", L"LPT1:,LPT2:"});
  memory.addDriver(L"KV Driver 2");
  memory.addDriver(std::nullopt);
  memory.addDriver(L"KV Driver 1");

  NameList connections{L"kept"};
  NameList connectionDrivers{L"kept driver"};
  EXPECT_TRUE(bMciEntryConnectionList(connections, connectionDrivers));
  EXPECT_EQ(connections, (NameList{L"kept", L"\\\\srv\\KV 1", L"\\\\srv\\Other"}));
  EXPECT_EQ(connectionDrivers, (NameList{L"kept driver", L"KV Driver 1", L""}));

  NameList queues;
  NameList queueDrivers;
  NameList queuePorts;
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(&queues, &queueDrivers, &queuePorts));
  EXPECT_EQ(queues, (NameList{L"Queue B", L"Queue A"}));
  EXPECT_EQ(queueDrivers, (NameList{L"KV Driver 2", L"KV Driver 1"}));
  EXPECT_EQ(queuePorts, (NameList{L"IP_10.0.0.7", L"LPT1:,LPT2:"}));

  NameList drivers;
  EXPECT_TRUE(bMciEntryDriverList(drivers));
  EXPECT_TRUE(bMciEntryDriverList(drivers));  // a second call appends again
  EXPECT_EQ(drivers,
            (NameList{L"KV Driver 2", L"", L"KV Driver 1", L"KV Driver 2", L"", L"KV Driver 1"}));
  EXPECT_EQ(dwMciGetLastError(), 0);
  EXPECT_EQ(trace.text(), "");
}

TEST_F(InventoryTest, FetchOffersTheNeededSizeAndEightBytesMore) {
  memory.addDriver(L"KV Driver 1");
  NameList drivers;
  ASSERT_TRUE(bMciEntryDriverList(drivers));
  const std::uint32_t needed = sizeof(DriverInfo1) + 12 * sizeof(wchar_t);
  EXPECT_EQ(memory.calls(),
            (std::vector<std::wstring>{
                L"EnumPrinterDriversW(null, null, 1, null, 0)",
                L"EnumPrinterDriversW(null, null, 1, buffer, " + std::to_wstring(needed + 8) + L")",
            }));
}

TEST_F(InventoryTest, QueueListFillsOnlyTheListsGiven) {
  memory.addQueue({L"Queue A", L"KV Driver 1", L"LPT1:"});
  NameList drivers;
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(nullptr, &drivers, nullptr));
  EXPECT_EQ(drivers, NameList{L"KV Driver 1"});
  NameList ports;
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(nullptr, nullptr, &ports));
  EXPECT_EQ(ports, NameList{L"LPT1:"});
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(nullptr, nullptr, nullptr));
}

TEST_F(InventoryTest, QueueVisitsGiveEachQueuesDriverAndPortInOrder) {
  memory.addQueue({L"Queue B", L"KV Driver 2", L"IP_10.0.0.7"});
  memory.addQueue({L"Queue A", std::nullopt, L"LPT1:,LPT2:"});
  NameList visits;
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(
      [&](std::wstring driver, std::wstring port) { visits.push_back(driver + L"|" + port); }));
  EXPECT_EQ(visits, (NameList{L"KV Driver 2|IP_10.0.0.7", L"|LPT1:,LPT2:"}));
  EXPECT_EQ(dwMciGetLastError(), 0);
}

TEST_F(InventoryTest, EmptyPrintSystemGivesEmptyListsAndSuccess) {
  NameList a, b, c;
  PortInfoList ports;
  EXPECT_TRUE(bMciEntryConnectionList(a, b));
  EXPECT_TRUE(bMciEntryQueue_Driver_PortList(&a, &b, &c));
  EXPECT_TRUE(bMciEntryDriverList(a));
  EXPECT_TRUE(bMciEntryPortInfoList(ports));
  EXPECT_TRUE(a.empty() && b.empty() && c.empty() && ports.empty());
  EXPECT_EQ(dwMciGetLastError(), 0);
}

TEST_F(InventoryTest, PortsAreClassifiedByTheirExactMonitorName) {
  struct Case {
    MemoryPrintSystem::Text monitor;
    std::int32_t kind;
  };
  const Case cases[] = {
      {L"Local Monitor", 0},      {L"Client Side Rendering Port", 1},
      {L"TCPMON.DLL", 2},         {L"Internet Port", 3},
      {L"DeviceLinkMonitor", 4},  {L"NetPath IO Agent", 5},
      {L"ZT AK9 port", 7},        {L"VNDX port", 8},
      {L"local monitor", 9},      {L"Standard TCP/IP Port", 9},
      {L"DeviceLinkMonitor ", 9}, {L"", 9},
      {std::nullopt, 10},
  };
  for (const Case& c : cases) memory.addPort({L"P", c.monitor, L"Desc", 5});
  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  ASSERT_EQ(ports.size(), std::size(cases));
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const portinfo_s expected{L"P", cases[i].monitor.value_or(L""), cases[i].kind, L"Desc", 5};
    EXPECT_TRUE(samePort(ports[i], expected))
        << ::testing::PrintToString(cases[i].monitor.value_or(L"(none)")) << " kind "
        << ports[i].kind;
  }
}

TEST_F(InventoryTest, PortWithoutTextsKeepsItsOtherFields) {
  memory.addPort({std::nullopt, L"VNDX port", std::nullopt, 8});
  PortInfoList ports{portinfo_s{L"old", L"Local Monitor", 0, L"Local Port", 1}};
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_TRUE(samePort(ports[1], portinfo_s{L"", L"VNDX port", 8, L"", 8}));
}

TEST_F(InventoryTest, PortListCanKeepOnlyTheWantedNamesWithAllTheirEntries) {
  memory.addPort({L"P1", L"Local Monitor", L"Local Port", 1});
  memory.addPort({L"P2", L"Local Monitor", L"Local Port", 1});
  memory.addPort({L"p1", L"Local Monitor", L"Local Port", 1});
  memory.addPort({std::nullopt, L"VNDX port", std::nullopt, 8});
  memory.addPort({L"P1", L"DeviceLinkMonitor", L"", 2});
  PortInfoList ports{portinfo_s{L"old", L"Local Monitor", 0, L"Local Port", 1}};
  ASSERT_TRUE(bMciEntryPortInfoList(ports, [](std::wstring_view name) { return name == L"P1"; }));
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].portName, L"old");
  EXPECT_TRUE(samePort(ports[1], portinfo_s{L"P1", L"Local Monitor", 0, L"Local Port", 1}));
  EXPECT_TRUE(samePort(ports[2], portinfo_s{L"P1", L"DeviceLinkMonitor", 4, L"", 2}));
}

// A print system whose driver listing answers one record over a buffer of "x" with no
// terminator, its pointer placed by the case: what a spooler might answer but never should.
class PointingPrintSystem : public PrintSpoolerWrapper {
 public:
  using PrintSpoolerWrapper::PrintSpoolerWrapper;

  static constexpr std::uint32_t kNeeded = 257;  // 265 bytes offered: an odd last byte

  std::function<const wchar_t*(std::uint8_t* buffer, std::uint32_t size)> point;

  bool enumPrinterDriversW(const wchar_t*, const wchar_t*, std::uint32_t, std::uint8_t* buffer,
                           std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override {
    *needed = kNeeded;
    if (buffer == nullptr) return false;
    for (std::uint32_t at = 0; at + sizeof(wchar_t) <= bufferSize; at += sizeof(wchar_t)) {
      const wchar_t x = L'x';
      std::memcpy(buffer + at, &x, sizeof x);
    }
    buffer[bufferSize - 1] = 'x';
    const DriverInfo1 record{const_cast<wchar_t*>(point(buffer, bufferSize))};
    std::memcpy(buffer, &record, sizeof record);
    *returned = 1;
    return true;
  }
};

TEST(InventoryBufferTest, TextsAreReadOnlyInsideTheBuffer) {
  static const wchar_t outside[] = L"outside";
  struct Case {
    const char* what;
    std::function<const wchar_t*(std::uint8_t*, std::uint32_t)> point;
    std::size_t length;  // of the text read, all "x"
  };
  constexpr std::size_t kChars = (PointingPrintSystem::kNeeded + 8) / sizeof(wchar_t);
  const Case cases[] = {
      {"running to the end",
       [](std::uint8_t* b, std::uint32_t) {
         return reinterpret_cast<const wchar_t*>(b + sizeof(DriverInfo1));
       },
       kChars - sizeof(DriverInfo1) / sizeof(wchar_t)},
      {"last whole character",
       [](std::uint8_t* b, std::uint32_t size) {
         return reinterpret_cast<const wchar_t*>(b + size - size % sizeof(wchar_t)) - 1;
       },
       1},
      // Found by fuzzing: too few bytes for a character, read up to a terminator far behind.
      {"last bytes",
       [](std::uint8_t* b, std::uint32_t size) {
         return reinterpret_cast<const wchar_t*>(b + size - size % sizeof(wchar_t));
       },
       0},
      {"another block", [](std::uint8_t*, std::uint32_t) { return outside; }, 0},
  };
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    MemoryPrintSystem memory;
    PointingPrintSystem spooler(memory);
    spooler.point = c.point;
    ScopedPrintSpooler installed(spooler);
    NameList drivers;
    ASSERT_TRUE(bMciEntryDriverList(drivers)) << c.what;
    EXPECT_EQ(drivers, NameList{std::wstring(c.length, L'x')}) << c.what;
  }
}

// Each enumeration with what it reports under, for the failure tests.
struct Enumeration {
  const char* name;
  Op operation;
  const char* functionName;
  const char* apiName;
  std::int32_t allocationLine;
  std::int32_t callLine;
  std::function<bool(NameList&, PortInfoList&)> run;
  std::function<void(MemoryPrintSystem&)> addObject;
};

std::vector<Enumeration> enumerations() {
  return {
      {"connections", Op::EnumPrinters, "bMciEntryConnectionList", "EnumPrinters",
       report_site::kConnectionListAllocation, report_site::kConnectionListEnumeration,
       [](NameList& names, PortInfoList&) { return bMciEntryConnectionList(names, names); },
       [](MemoryPrintSystem& m) {
         m.addConnection({L"\\\\srv\\new", L"KV New"});
       }},
      {"queues", Op::EnumPrinters, "bMciEntryQueue_Driver_PortList", "EnumPrinters",
       report_site::kQueueListAllocation, report_site::kQueueListEnumeration,
       [](NameList& names, PortInfoList&) {
         return bMciEntryQueue_Driver_PortList(&names, &names, &names);
       },
       [](MemoryPrintSystem& m) {
         m.addQueue({L"New", L"KV New", L"LPT3:"});
       }},
      {"drivers", Op::EnumPrinterDrivers, "bMciEntryDriverList", "EnumPrinterDrivers",
       report_site::kDriverListAllocation, report_site::kDriverListEnumeration,
       [](NameList& names, PortInfoList&) { return bMciEntryDriverList(names); },
       [](MemoryPrintSystem& m) { m.addDriver(L"KV New"); }},
      {"ports", Op::EnumPorts, "bMciEntryPortInfoList", "EnumPorts",
       report_site::kPortListAllocation, report_site::kPortListEnumeration,
       [](NameList&, PortInfoList& ports) { return bMciEntryPortInfoList(ports); },
       [](MemoryPrintSystem& m) {
         m.addPort({L"LPT3:", L"Local Monitor", L"Local Port", 1});
       }},
  };
}

TEST(InventoryFailureTest, FailuresLeaveTheListsAsTheyWereAndReportTheirCode) {
  enum Failure { FetchFails, SpoolerDown, GrowsOnce, GrowsBetweenEveryCall, OutOfMemory };
  struct Case {
    Failure failure;
    std::int32_t code;
    bool allocation;
  };
  const Case cases[] = {
      {FetchFails, 5, false},
      {SpoolerDown, 1722, false},
      {GrowsOnce, 0, false},  // asked again with room for the newcomer: no failure
      {GrowsBetweenEveryCall, 122, false},
      {OutOfMemory, 122, true},  // the sizing call's code is what the platform holds
  };
  for (const Enumeration& e : enumerations()) {
    for (const Case& c : cases) {
      test::FakeSystemServices system;
      MemoryPrintSystem memory;
      ScopedPrintSpooler installed(memory);
      memory.addConnection({L"\\\\srv\\KV", L"KV 1"});
      memory.addQueue({L"Queue", L"KV 1", L"LPT1:"});
      memory.addDriver(L"KV 1");
      memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
      test::TraceCapture trace;
      std::function<void()> grow;
      int grown = 0;
      switch (c.failure) {
        case FetchFails:
          memory.failNext(e.operation, 5, 1);
          break;
        case SpoolerDown:
          memory.failAlways(e.operation, 1722);
          break;
        case GrowsOnce:
        case GrowsBetweenEveryCall:
          grow = [&] {
            e.addObject(memory);
            const int times = c.failure == GrowsOnce ? 1 : 1 + kEnumerationAttempts;
            if (++grown < times) memory.afterNextCall(e.operation, grow);
          };
          memory.afterNextCall(e.operation, grow);
          break;
        case OutOfMemory:
          break;
      }
      NameList names{L"before"};
      PortInfoList ports{portinfo_s{L"before", L"", 10, L"", 0}};
      bool result = true;
      if (c.failure == OutOfMemory) {
        ScopedSpoolerAllocationFailure noMemory;
        result = e.run(names, ports);
      } else {
        result = e.run(names, ports);
      }
      if (c.failure == GrowsOnce) {
        EXPECT_TRUE(result) << e.name;
        EXPECT_EQ(trace.text(), "") << e.name;
        continue;
      }
      EXPECT_FALSE(result) << e.name << " case " << c.failure;
      EXPECT_EQ(names, NameList{L"before"}) << e.name << " case " << c.failure;
      EXPECT_EQ(ports.size(), 1u) << e.name << " case " << c.failure;
      EXPECT_EQ(dwMciGetLastError(), c.code) << e.name << " case " << c.failure;
      EXPECT_EQ(trace.text(),
                test::reportLine(1, c.code, c.allocation ? "malloc" : e.apiName, e.functionName,
                                 c.allocation ? e.allocationLine : e.callLine))
          << e.name << " case " << c.failure;
    }
  }
}

TEST(InventoryFailureTest, AllocationFailureIsNeverRecordedAsSuccess) {
  test::FakeSystemServices system;
  MemoryPrintSystem memory;  // empty: the sizing call succeeds and leaves no code
  ScopedPrintSpooler installed(memory);
  test::TraceCapture trace;
  NameList drivers;
  ScopedSpoolerAllocationFailure noMemory;
  EXPECT_FALSE(bMciEntryDriverList(drivers));
  EXPECT_EQ(dwMciGetLastError(), 8);
  EXPECT_EQ(trace.text(), test::reportLine(1, 8, "malloc", "bMciEntryDriverList",
                                           report_site::kDriverListAllocation));
}

}  // namespace
}  // namespace kv
