// The inventory snapshots against Wine's spooler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <string>

#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/port_info.h"
#include "wine_machine.h"

namespace kv {
namespace {

const portinfo_s* findPort(const PortInfoList& ports, const std::wstring& name) {
  const auto found = std::find_if(ports.begin(), ports.end(),
                                  [&](const portinfo_s& port) { return port.portName == name; });
  return found != ports.end() ? &*found : nullptr;
}

std::ptrdiff_t indexOf(const NameList& names, const std::wstring& name) {
  const auto found = std::find(names.begin(), names.end(), name);
  return found != names.end() ? found - names.begin() : -1;
}

// Every Wine prefix has these eight ports of the local monitor.
TEST(PortInventory, WineDefaultPortsAreLocalMonitorPorts) {
  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  EXPECT_EQ(dwMciGetLastError(), 0);
  for (const wchar_t* name :
       {L"COM1:", L"COM2:", L"COM3:", L"COM4:", L"FILE:", L"LPT1:", L"LPT2:", L"LPT3:"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(name)));
    const portinfo_s* port = findPort(ports, name);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->monitorName, L"Local Monitor");
    EXPECT_EQ(port->kind, kPortKindLocal);
    EXPECT_EQ(port->description, L"Local Port");
    EXPECT_EQ(port->portType, 1u);
  }
}

struct KindCase {
  const wchar_t* reportedMonitor;
  std::int32_t kind;
};

class PortKindFromSpooler : public ::testing::TestWithParam<KindCase> {};

// The monitor name the spooler hands over decides the kind, compared exactly.
TEST_P(PortKindFromSpooler, KindOfAMonitorPort) {
  const KindCase& kindCase = GetParam();
  winetest::ScopedTestMonitor monitor(L"KVW Kind Monitor", {L"KVW_KIND_1"},
                                      kindCase.reportedMonitor, L"Kind port");
  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  const portinfo_s* port = findPort(ports, L"KVW_KIND_1");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->monitorName, kindCase.reportedMonitor);
  EXPECT_EQ(port->kind, kindCase.kind);
  EXPECT_EQ(port->description, L"Kind port");
  EXPECT_EQ(port->portType, 1u);
}

INSTANTIATE_TEST_SUITE_P(ByReportedMonitor, PortKindFromSpooler,
                         ::testing::Values(KindCase{L"TCPMON.DLL", 2},
                                           KindCase{L"Standard TCP/IP Port", 9},
                                           KindCase{L"DeviceLinkMonitor", 4},
                                           KindCase{L"NetPath IO Agent", 5},
                                           KindCase{L"ZT AK9 port", 7}, KindCase{L"VNDX port", 8},
                                           KindCase{L"local monitor", 9}),
                         [](const ::testing::TestParamInfo<KindCase>& info) {
                           std::string name;
                           for (wchar_t character : std::wstring(info.param.reportedMonitor)) {
                             name += std::iswalnum(character) ? static_cast<char>(character) : '_';
                           }
                           return name;
                         });

class QueueInventory : public ::testing::Test {
 protected:
  winetest::ScopedLocalPort port_{L"KVW_INVENTORY:"};
  winetest::ScopedDriver driver_{L"KVW Inventory Driver"};
  winetest::ScopedQueue queue_{L"KVW Inventory Queue", driver_.name(), port_.name()};
};

// The added queue stands at one index of the three lists, behind what the lists held already.
TEST_F(QueueInventory, AddedQueueAppendsOneEntryToEachList) {
  NameList queues{L"held before"};
  NameList drivers{L"held before"};
  NameList ports{L"held before"};
  ASSERT_TRUE(bMciEntryQueue_Driver_PortList(&queues, &drivers, &ports));
  EXPECT_EQ(dwMciGetLastError(), 0);
  ASSERT_EQ(queues.size(), drivers.size());
  ASSERT_EQ(queues.size(), ports.size());
  EXPECT_EQ(queues.front(), L"held before");
  const std::ptrdiff_t index = indexOf(queues, queue_.name());
  ASSERT_GT(index, 0);
  EXPECT_EQ(drivers[index], driver_.name());
  EXPECT_EQ(ports[index], port_.name());
}

TEST_F(QueueInventory, OnlyTheGivenListIsFilled) {
  NameList drivers;
  ASSERT_TRUE(bMciEntryQueue_Driver_PortList(nullptr, &drivers, nullptr));
  EXPECT_NE(indexOf(drivers, driver_.name()), -1);
}

TEST_F(QueueInventory, DriverAndPortAppearInTheirInventories) {
  NameList drivers;
  ASSERT_TRUE(bMciEntryDriverList(drivers));
  EXPECT_NE(indexOf(drivers, driver_.name()), -1);

  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  const portinfo_s* port = findPort(ports, port_.name());
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->monitorName, L"Local Monitor");
  EXPECT_EQ(port->kind, kPortKindLocal);
}

// A Wine prefix has no network printer connections.
TEST(ConnectionInventory, NoConnectionsInAWinePrefix) {
  NameList connections{L"held before"};
  NameList drivers;
  ASSERT_TRUE(bMciEntryConnectionList(connections, drivers));
  EXPECT_EQ(connections, NameList{L"held before"});
  EXPECT_TRUE(drivers.empty());
  EXPECT_EQ(dwMciGetLastError(), 0);
}

}  // namespace
}  // namespace kv
