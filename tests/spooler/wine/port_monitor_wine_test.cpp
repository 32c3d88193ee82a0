// Port removal through a port monitor's "DeletePort" command and the monitor lookup, against
// Wine's spooler with the test port monitor standing in for the monitors.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "expected_records.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/port_deletion.h"
#include "wine_machine.h"

namespace kv {
namespace {

using winetest::ScopedTestMonitor;

// Test names from texts: letters and digits kept, everything else an underscore.
std::string nameOf(const std::wstring& text) {
  std::string name;
  for (wchar_t character : text) {
    name += std::iswalnum(character) ? static_cast<char>(character) : '_';
  }
  return name;
}

struct DeliveryCase {
  const wchar_t* monitor;
  std::uint32_t protocol;
  bool makersRecord;
};

class DeletePortDelivery : public ::testing::TestWithParam<DeliveryCase> {};

// The record goes out byte for byte, its layout chosen by the exact monitor name, and a status
// of 0 is a removal.
TEST_P(DeletePortDelivery, RecordArrivesByteForByteAndStatusZeroRemovesThePort) {
  const DeliveryCase& delivery = GetParam();
  const std::wstring port = L"KVW_DELIVERY_1";
  ScopedTestMonitor monitor(delivery.monitor, {port}, delivery.monitor);

  EXPECT_TRUE(bMciDeletePort(port, delivery.monitor, delivery.protocol));
  EXPECT_EQ(dwMciGetLastError(), 0);

  const std::vector<std::uint8_t> expected =
      delivery.makersRecord ? winetest::expectedPortData(port, delivery.protocol)
                            : winetest::expectedDeletePortData1(port);
  EXPECT_EQ(monitor.recordedBytes(), expected);
  EXPECT_FALSE(winetest::portListed(port));
}

INSTANTIATE_TEST_SUITE_P(ByMonitorName, DeletePortDelivery,
                         ::testing::Values(DeliveryCase{L"DeviceLinkMonitor", 0, true},
                                           DeliveryCase{L"DeviceLinkMonitor", 3, true},
                                           DeliveryCase{L"NetPath IO Agent", 0, true},
                                           DeliveryCase{L"NetPath IO Agent", 7, true},
                                           DeliveryCase{L"devicelinkmonitor", 0, false},
                                           DeliveryCase{L"Standard TCP/IP Port", 3, false}),
                         [](const ::testing::TestParamInfo<DeliveryCase>& info) {
                           return nameOf(info.param.monitor) + "_protocol_" +
                                  std::to_string(info.param.protocol);
                         });

// A monitor's refusal comes back as its own status (form 2), the record was still delivered and
// the port stays.
TEST(DeletePortRefusal, MonitorStatusBecomesTheLastErrorCode) {
  const struct {
    const wchar_t* monitor;
    std::uint32_t status;
  } cases[] = {{L"DeviceLinkMonitor", 87}, {L"DeviceLinkMonitor", 5}, {L"Other Maker Port", 87}};
  for (const auto& refusal : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(refusal.monitor)) + " answering " +
                 std::to_string(refusal.status));
    const std::wstring port = L"KVW_REFUSED_1";
    ScopedTestMonitor monitor(refusal.monitor, {port}, refusal.monitor);
    monitor.answerDeletePortWith(refusal.status);

    EXPECT_FALSE(bMciDeletePort(port, refusal.monitor, 0));
    EXPECT_EQ(dwMciGetLastError(), static_cast<std::int32_t>(refusal.status));
    EXPECT_EQ(monitor.recordedBytes().size(),
              std::wstring(refusal.monitor) == L"DeviceLinkMonitor" ? 5040u : 236u);
    EXPECT_TRUE(winetest::portListed(port));
  }
}

// A success after a refusal clears the last error code again.
TEST(DeletePortRefusal, LaterSuccessResetsTheLastErrorCode) {
  ScopedTestMonitor monitor(L"DeviceLinkMonitor", {L"KVW_AGAIN_1"}, L"DeviceLinkMonitor");
  monitor.answerDeletePortWith(87);
  ASSERT_FALSE(bMciDeletePort(L"KVW_AGAIN_1", L"DeviceLinkMonitor", 0));
  monitor.answerDeletePortWith(0);
  EXPECT_TRUE(bMciDeletePort(L"KVW_AGAIN_1", L"DeviceLinkMonitor", 0));
  EXPECT_EQ(dwMciGetLastError(), 0);
}

// A port name that does not fit the records is refused before anything reaches the monitor.
TEST(DeletePortRefusal, OverlongPortNameNeverReachesTheMonitor) {
  ScopedTestMonitor monitor(L"DeviceLinkMonitor", {}, L"DeviceLinkMonitor");
  EXPECT_FALSE(bMciDeletePort(std::wstring(64, L'P'), L"DeviceLinkMonitor", 0));
  EXPECT_EQ(dwMciGetLastError(), 87);
  EXPECT_TRUE(monitor.recordedBytes().empty());
}

// Wine has no Standard TCP/IP Port monitor of its own: opening an absent monitor fails with
// ERROR_UNKNOWN_PORT (1796) and nothing is sent.
TEST(DeletePortRefusal, AbsentMonitorFailsAtTheOpenWith1796) {
  EXPECT_FALSE(bMciDeletePort(L"KVW_NOWHERE_1", L"KVW No Such Monitor", 0));
  EXPECT_EQ(dwMciGetLastError(), 1796);
}

struct LookupCase {
  const wchar_t* reportedMonitor;
  const wchar_t* description;
  const wchar_t* expected;
};

class MonitorLookup : public ::testing::TestWithParam<LookupCase> {};

// The monitor name found for a port of the real port enumeration; the standard TCP/IP monitor is
// named for its transceive interface whichever text the spooler reported.
TEST_P(MonitorLookup, NameFoundThroughThePortInventory) {
  const LookupCase& lookup = GetParam();
  ScopedTestMonitor monitor(L"KVW Lookup Monitor", {L"KVW_LOOKUP_1"}, lookup.reportedMonitor,
                            lookup.description);
  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  EXPECT_EQ(MciGetPortMonitorName(L"KVW_LOOKUP_1", ports), lookup.expected);
  EXPECT_EQ(MciGetPortMonitorName(L"KVW_NOT_LISTED", ports), L"");
}

INSTANTIATE_TEST_SUITE_P(
    ByReportedTexts, MonitorLookup,
    ::testing::Values(LookupCase{L"TCPMON.DLL", L"", L"Standard TCP/IP Port"},
                      LookupCase{L"Some Monitor", L"Standard TCP/IP Port", L"Standard TCP/IP Port"},
                      LookupCase{L"tcpmon.dll", L"TCP port", L"tcpmon.dll"},
                      LookupCase{L"DeviceLinkMonitor", L"Maker port", L"DeviceLinkMonitor"}),
    [](const ::testing::TestParamInfo<LookupCase>& info) {
      return nameOf(info.param.reportedMonitor) + "_described_" + nameOf(info.param.description);
    });

// The cleaner's road for a TCP/IP port: the lookup names the monitor, and the removal through
// that name reaches it with the standard record.
TEST(MonitorLookup, LookedUpNameReachesTheStandardMonitor) {
  ScopedTestMonitor monitor(L"Standard TCP/IP Port", {L"KVW_TCP_1"}, L"TCPMON.DLL",
                            L"Standard TCP/IP Port");
  PortInfoList ports;
  ASSERT_TRUE(bMciEntryPortInfoList(ports));
  const std::wstring monitorName = MciGetPortMonitorName(L"KVW_TCP_1", ports);
  ASSERT_EQ(monitorName, L"Standard TCP/IP Port");

  EXPECT_TRUE(bMciDeletePort(L"KVW_TCP_1", monitorName, 0));
  EXPECT_EQ(monitor.recordedBytes(), winetest::expectedDeletePortData1(L"KVW_TCP_1"));
}

}  // namespace
}  // namespace kv
