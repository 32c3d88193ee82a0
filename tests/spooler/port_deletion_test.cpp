#include "spooler/port_deletion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "record_bytes.h"
#include "spooler/report_sites.h"
#include "wrapper_test.h"

namespace kv {
namespace {

using Op = SpoolerOperation;
using test::reportLine;

std::vector<std::uint8_t> noRecord() { return {}; }

TEST(PortDeletionTest, MonitorGetsItsRecordAndItsAnswerDecides) {
  struct Case {
    const char* what;
    std::wstring port;
    std::wstring monitorName;     // as passed to bMciDeletePort
    std::uint32_t monitorStatus;  // what the registered monitor answers
    std::uint32_t injectedXcvError;
    std::uint32_t protocol;
    bool result;
    std::int32_t code;
    std::string traced;
    std::vector<std::uint8_t> received;  // empty: the monitor got nothing
    bool portRemains;
  };
  const std::string opened = "Debug: Monitor Name : OpenPrinter(,XcvMonitor ";
  const Case cases[] = {
      {"standard TCP/IP", L"IP_10.0.0.5", L"Standard TCP/IP Port", 0, 0, 0, true, 0,
       "Debug: Deleting port:IP_10.0.0.5\r\n" + opened + "Standard TCP/IP Port)\r\n" +
           "Debug: XcvData(DeletePort) dwStatus:(0)\r\n",
       test::expectedDeletePortData1(u"IP_10.0.0.5"), false},
      {"maker's monitor, no protocol", L"DL_PORT1", L"DeviceLinkMonitor", 0, 0, 0, true, 0,
       "Debug: Deleting port:DL_PORT1\r\nDebug: Delete Monitor :DeviceLinkMonitor\r\n" + opened +
           "DeviceLinkMonitor)\r\nDebug: XcvData(DeletePort) dwStatus:(0)\r\n",
       test::expectedPortData(u"DL_PORT1", 2), false},
      {"maker's monitor, protocol 3", L"10.0.0.9:9100", L"NetPath IO Agent", 0, 0, 3, true, 0,
       "Debug: Deleting port:10.0.0.9:9100\r\nDebug: Delete Monitor :NetPath IO Agent\r\n"
       "Debug: Delete Protocol:3\r\n" +
           opened + "NetPath IO Agent)\r\nDebug: XcvData(DeletePort) dwStatus:(0)\r\n",
       test::expectedPortData(u"10.0.0.9:9100", 3), false},
      {"maker's monitor in other letter case", L"DL_PORT1", L"devicelinkmonitor", 0, 0, 3, true, 0,
       "Debug: Deleting port:DL_PORT1\r\n" + opened +
           "devicelinkmonitor)\r\nDebug: XcvData(DeletePort) dwStatus:(0)\r\n",
       test::expectedDeletePortData1(u"DL_PORT1"), false},
      {"monitor refuses with 87", L"DL_PORT1", L"DeviceLinkMonitor", 87, 0, 2, false, 87,
       "Debug: Deleting port:DL_PORT1\r\nDebug: Delete Monitor :DeviceLinkMonitor\r\n"
       "Debug: Delete Protocol:2\r\n" +
           opened + "DeviceLinkMonitor)\r\nDebug: Error : XcvData(DeletePort, 87)\r\n" +
           reportLine(2, 87, "XcvData", "bMciDeletePort", report_site::kMonitorStatus),
       test::expectedPortData(u"DL_PORT1", 2), true},
      {"transceive call fails", L"IP_10.0.0.5", L"Standard TCP/IP Port", 0, 5, 0, false, 5,
       "Debug: Deleting port:IP_10.0.0.5\r\n" + opened +
           "Standard TCP/IP Port)\r\nDebug: Error : XcvData(DeletePort)\r\n" +
           reportLine(1, 5, "XcvData", "bMciDeletePort", report_site::kMonitorCall),
       noRecord(), true},
      {"no such monitor", L"IP_10.0.0.5", L"ZT AK9 port", 0, 0, 0, false, 1796,
       "Debug: Deleting port:IP_10.0.0.5\r\n"
       "Debug: Error : OpenPrinter(,XcvMonitor ZT AK9 port)\r\n" +
           reportLine(1, 1796, "OpenPrinter", "bMciDeletePort", report_site::kMonitorOpen),
       noRecord(), true},
      {"no port name given", L"", L"Standard TCP/IP Port", 0, 0, 0, true, 0,
       opened + "Standard TCP/IP Port)\r\nDebug: XcvData(DeletePort) dwStatus:(0)\r\n",
       test::expectedDeletePortData1(u""), false},
  };
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    MemoryPrintSystem memory;
    ScopedPrintSpooler installed(memory);
    memory.addPort({L"IP_10.0.0.5", L"TCPMON.DLL", L"Standard TCP/IP Port", 1});
    memory.addPort({L"DL_PORT1", L"DeviceLinkMonitor", L"Device Link", 1});
    memory.addPort({L"10.0.0.9:9100", L"NetPath IO Agent", L"NetPath", 1});
    MemoryPrintSystem::Monitor& tcp = memory.addMonitor(L"Standard TCP/IP Port");
    MemoryPrintSystem::Monitor& deviceLink = memory.addMonitor(L"DeviceLinkMonitor");
    MemoryPrintSystem::Monitor& netPath = memory.addMonitor(L"NetPath IO Agent");
    for (auto* monitor : {&tcp, &deviceLink, &netPath}) monitor->deletePortStatus = c.monitorStatus;
    if (c.injectedXcvError != 0) memory.failNext(Op::XcvData, c.injectedXcvError);
    memory.setLeftoverErrorOnSuccess(183);
    vMciReportError(424242, L"test", 0, L"", 0);
    test::TraceCapture trace;

    EXPECT_EQ(bMciDeletePort(c.port, c.monitorName, c.protocol), c.result) << c.what;
    EXPECT_EQ(dwMciGetLastError(), c.code) << c.what;
    EXPECT_EQ(trace.text(), c.traced) << c.what;
    const MemoryPrintSystem::Monitor* reached = memory.monitor(c.monitorName);
    const std::size_t calls = reached != nullptr ? reached->received.size() : 0;
    ASSERT_EQ(calls, c.received.empty() ? 0u : 1u) << c.what;
    if (calls == 1) {
      EXPECT_EQ(reached->received[0].command, L"DeletePort") << c.what;
      EXPECT_EQ(reached->received[0].input, c.received) << c.what;
    }
    const bool remains = std::any_of(memory.ports().begin(), memory.ports().end(),
                                     [&](const auto& port) { return port.name == c.port; });
    EXPECT_EQ(remains, c.portRemains) << c.what;
    EXPECT_EQ(memory.openHandleCount(), 0u) << c.what;
  }
}

TEST(PortDeletionTest, TransceiveCallPassesTheRecordAndAdministerAccess) {
  test::FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed(memory);
  memory.addMonitor(L"VNDX port");
  ASSERT_TRUE(bMciDeletePort(L"VX1", L"VNDX port", 0));
  EXPECT_EQ(memory.calls(), (std::vector<std::wstring>{
                                L"OpenPrinterW(,XcvMonitor VNDX port, 1)",
                                L"XcvDataW(h1, DeletePort, buffer, 236, null, 0)",
                                L"ClosePrinter(h1)",
                            }));
}

TEST(PortDeletionTest, NamesThatDoNotFitAreRefusedBeforeAnythingIsSent) {
  struct Case {
    std::wstring port;
    std::wstring monitor;
    bool refused;
    std::string traced;  // the refusal's lines after "Deleting port:"
  };
  const std::wstring port63(63, L'p');
  const std::wstring port64(64, L'p');
  const std::wstring monitor243(243, L'm');
  const std::wstring monitor244(244, L'm');
  const std::string narrow64(64, 'p');
  const std::string narrow244(244, 'm');
  const Case cases[] = {
      {port63, monitor243, false, ""},
      {port64, L"Standard TCP/IP Port", true,
       "Debug: Error : Port name too long(" + narrow64 + ")\r\n" +
           reportLine(1, 87, "Port name too long", "bMciDeletePort",
                      report_site::kPortNameTooLong)},
      {port64, L"DeviceLinkMonitor", true,
       "Debug: Error : Port name too long(" + narrow64 + ")\r\n" +
           reportLine(1, 87, "Port name too long", "bMciDeletePort",
                      report_site::kPortNameTooLong)},
      {L"IP_1", monitor244, true,
       "Debug: Error : Monitor name too long(" + narrow244 + ")\r\n" +
           reportLine(1, 87, "Monitor name too long", "bMciDeletePort",
                      report_site::kMonitorNameTooLong)},
  };
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    MemoryPrintSystem memory;
    ScopedPrintSpooler installed(memory);
    MemoryPrintSystem::Monitor& longMonitor = memory.addMonitor(monitor243);
    memory.addMonitor(L"Standard TCP/IP Port");
    memory.addMonitor(L"DeviceLinkMonitor");
    vMciReportError(424242, L"test", 0, L"", 0);
    test::TraceCapture trace;
    const bool removed = bMciDeletePort(c.port, c.monitor, 2);
    EXPECT_EQ(removed, !c.refused) << c.port.size() << "/" << c.monitor.size();
    if (c.refused) {
      EXPECT_EQ(dwMciGetLastError(), 87);
      EXPECT_EQ(trace.text(), "Debug: Deleting port:" + std::string(c.port.begin(), c.port.end()) +
                                  "\r\n" + c.traced);
      EXPECT_TRUE(memory.calls().empty());
    } else {
      ASSERT_EQ(longMonitor.received.size(), 1u);
      EXPECT_EQ(longMonitor.received[0].input,
                test::expectedDeletePortData1(std::u16string(63, u'p')));
    }
  }
}

TEST(PortDeletionTest, NameOfSurrogatePairsIsMeasuredInUtf16Units) {
  // 62 characters, but the last one takes two UTF-16 units: 63 units fit, one more does not.
  std::wstring name(61, L'p');
  if constexpr (sizeof(wchar_t) == 4) {
    name.push_back(static_cast<wchar_t>(0x1F5A8));
  } else {
    name += L"\xD83D\xDDA8";
  }
  test::FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed(memory);
  MemoryPrintSystem::Monitor& monitor = memory.addMonitor(L"DeviceLinkMonitor");
  EXPECT_TRUE(bMciDeletePort(name, L"DeviceLinkMonitor", 0));
  ASSERT_EQ(monitor.received.size(), 1u);
  EXPECT_EQ(monitor.received[0].input,
            test::expectedPortData(std::u16string(61, u'p') + u"\xD83D\xDDA8", 2));
  EXPECT_FALSE(bMciDeletePort(name + L"p", L"DeviceLinkMonitor", 0));
  EXPECT_EQ(dwMciGetLastError(), 87);
  EXPECT_EQ(monitor.received.size(), 1u);
}

TEST(PortMonitorNameTest, LookupNamesTheMonitorThatReachesThePort) {
  const PortInfoList ports = {
      {L"LPT1:", L"Local Monitor", 0, L"Local Port", 1},
      {L"IP_10.0.0.5", L"TCPMON.DLL", 2, L"Standard TCP/IP Port", 1},
      {L"IP_10.0.0.6", L"TCPMON.DLL", 2, L"", 1},
      {L"IP_10.0.0.7", L"Other Monitor", 9, L"Standard TCP/IP Port", 1},
      {L"DL_1", L"DeviceLinkMonitor", 4, L"Device Link", 1},
      {L"NOMON", L"", 10, L"Standard TCP/IP Port ", 1},
      {L"DL_1", L"Second Entry", 9, L"", 1},
  };
  struct Case {
    std::wstring port;
    std::wstring monitor;
  };
  const Case cases[] = {
      {L"LPT1:", L"Local Monitor"},
      {L"IP_10.0.0.5", L"Standard TCP/IP Port"},
      {L"IP_10.0.0.6", L"Standard TCP/IP Port"},
      {L"IP_10.0.0.7", L"Standard TCP/IP Port"},
      {L"DL_1", L"DeviceLinkMonitor"},
      {L"NOMON", L""},
      {L"lpt1:", L"Local Monitor"},  // the spooler compares port names without regard to case
      {L"COM9:", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MciGetPortMonitorName(c.port, ports), c.monitor) << ::testing::PrintToString(c.port);
  }
  EXPECT_EQ(MciGetPortMonitorName(L"LPT1:", {}), L"");
}

// Enough entries that a sort which does not keep equal names in order would shuffle them.
TEST(PortMonitorNameTest, TheFirstOfManyEntriesOfANameDecidesThroughTheIndex) {
  PortInfoList ports;
  for (int i = 0; i < 200; ++i) {
    ports.push_back(
        {i % 2 == 0 ? L"SHARED" : L"P" + std::to_wstring(i), L"M" + std::to_wstring(i), 9, L"", 1});
  }
  const PortInventoryIndex index(ports);
  const struct {
    std::wstring port;
    std::wstring monitor;
  } cases[] = {{L"SHARED", L"M0"}, {L"P1", L"M1"}, {L"P199", L"M199"}, {L"P2", L""}, {L"", L""}};
  for (const auto& c : cases) {
    EXPECT_EQ(MciGetPortMonitorName(c.port, index), c.monitor) << ::testing::PrintToString(c.port);
  }
}

}  // namespace
}  // namespace kv
