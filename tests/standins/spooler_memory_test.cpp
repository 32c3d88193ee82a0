// The in-memory print system's own contract, where a fault would slip past the wrapper tests:
// buffer layout, sizes, handles and the test controls.
#include "standins/spooler_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace kv {
namespace {

using Op = SpoolerOperation;

// True when `text` points into [buffer, buffer + size) and its terminator lies inside too.
bool textInside(const wchar_t* text, const std::vector<std::uint8_t>& buffer) {
  const auto at = reinterpret_cast<std::uintptr_t>(text);
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  if (at < begin || at >= begin + buffer.size()) return false;
  const std::size_t room = (begin + buffer.size() - at) / sizeof(wchar_t);
  return std::wstring_view(text, room).find(L'\0') != std::wstring_view::npos;
}

TEST(MemoryPrintSystemTest, EnumerationsPackRecordsFirstAndTheirTextsBehind) {
  MemoryPrintSystem memory;
  memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
  memory.addPort({L"IP_10.0.0.5", std::nullopt, L"Standard TCP/IP Port", 3});

  std::uint32_t needed = 0;
  std::uint32_t returned = 99;
  ASSERT_FALSE(memory.enumPortsW(nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(memory.lastError(), kErrorInsufficientBuffer);
  const std::size_t texts = std::wstring(
                                L"LPT1:Local MonitorLocal PortIP_10.0.0.5"
                                L"Standard TCP/IP Port")
                                .size() +
                            5;  // terminators of the five texts given
  EXPECT_EQ(needed, 2 * sizeof(PortInfo2) + texts * sizeof(wchar_t));

  // One byte short is still too small, and writes nothing.
  std::vector<std::uint8_t> shortBuffer(needed - 1, 0xAB);
  ASSERT_FALSE(memory.enumPortsW(nullptr, 2, shortBuffer.data(), needed - 1, &needed, &returned));
  EXPECT_EQ(memory.lastError(), kErrorInsufficientBuffer);
  EXPECT_EQ(shortBuffer, std::vector<std::uint8_t>(needed - 1, 0xAB));

  std::vector<std::uint8_t> buffer(needed);
  ASSERT_TRUE(memory.enumPortsW(nullptr, 2, buffer.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 2u);
  PortInfo2 records[2];
  std::memcpy(records, buffer.data(), sizeof records);
  EXPECT_TRUE(textInside(records[0].pPortName, buffer));
  EXPECT_TRUE(textInside(records[1].pDescription, buffer));
  EXPECT_GE(reinterpret_cast<std::uint8_t*>(records[0].pPortName), buffer.data() + sizeof records);
  EXPECT_EQ(std::wstring(records[0].pPortName), L"LPT1:");
  EXPECT_EQ(std::wstring(records[0].pMonitorName), L"Local Monitor");
  EXPECT_EQ(std::wstring(records[0].pDescription), L"Local Port");
  EXPECT_EQ(records[0].fPortType, 1u);
  EXPECT_EQ(std::wstring(records[1].pPortName), L"IP_10.0.0.5");
  EXPECT_EQ(records[1].pMonitorName, nullptr);
  EXPECT_EQ(records[1].fPortType, 3u);
}

TEST(MemoryPrintSystemTest, PrinterEnumerationListsTheKindAskedFor) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Queue A", L"Driver A", L"LPT1:", 0x400, 2});
  memory.addConnection({L"\\\\srv\\shared", L"Driver C"});
  struct Case {
    std::uint32_t flags;
    std::vector<std::wstring> names;
  };
  const Case cases[] = {
      {kPrinterEnumLocal, {L"Queue A"}},
      {kPrinterEnumConnections, {L"\\\\srv\\shared"}},
      {kPrinterEnumLocal | kPrinterEnumConnections, {L"Queue A", L"\\\\srv\\shared"}},
  };
  for (const Case& c : cases) {
    std::uint32_t needed = 0;
    std::uint32_t returned = 0;
    memory.enumPrintersW(c.flags, nullptr, 2, nullptr, 0, &needed, &returned);
    std::vector<std::uint8_t> buffer(needed);
    ASSERT_TRUE(
        memory.enumPrintersW(c.flags, nullptr, 2, buffer.data(), needed, &needed, &returned));
    ASSERT_EQ(returned, c.names.size()) << c.flags;
    for (std::size_t i = 0; i < returned; ++i) {
      PrinterInfo2 record;
      std::memcpy(&record, buffer.data() + i * sizeof record, sizeof record);
      EXPECT_EQ(std::wstring(record.pPrinterName), c.names[i]) << c.flags;
    }
  }
}

TEST(MemoryPrintSystemTest, EmptyAnswerNeedsNoBuffer) {
  MemoryPrintSystem memory;
  std::uint32_t needed = 7;
  std::uint32_t returned = 7;
  EXPECT_TRUE(memory.enumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &returned));
  EXPECT_EQ(needed, 0u);
  EXPECT_EQ(returned, 0u);
}

TEST(MemoryPrintSystemTest, GetPrinterAnswersStatusAndJobsOfTheOpenedQueue) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Queue A", L"Driver A", L"LPT1:", 0x00000400, 3});
  SpoolerHandle handle = nullptr;
  ASSERT_TRUE(memory.openPrinterW(L"queue a", &handle, kPrinterAllAccess));  // any case

  std::uint32_t needed = 0;
  EXPECT_FALSE(memory.getPrinterW(handle, 6, nullptr, 0, &needed));
  EXPECT_EQ(needed, sizeof(PrinterInfo6));
  PrinterInfo6 status{};
  ASSERT_TRUE(memory.getPrinterW(handle, 6, reinterpret_cast<std::uint8_t*>(&status), sizeof status,
                                 &needed));
  EXPECT_EQ(status.dwStatus, 0x400u);

  EXPECT_FALSE(memory.getPrinterW(handle, 2, nullptr, 0, &needed));
  std::vector<std::uint8_t> buffer(needed);
  ASSERT_TRUE(memory.getPrinterW(handle, 2, buffer.data(), needed, &needed));
  PrinterInfo2 record;
  std::memcpy(&record, buffer.data(), sizeof record);
  EXPECT_EQ(record.cJobs, 3u);
  EXPECT_EQ(std::wstring(record.pDriverName), L"Driver A");

  EXPECT_FALSE(memory.getPrinterW(handle, 5, buffer.data(), needed, &needed));
  EXPECT_EQ(memory.lastError(), kErrorInvalidLevel);
  EXPECT_TRUE(memory.closePrinter(handle));
}

TEST(MemoryPrintSystemTest, HandlesAreCheckedForLifeAndKind) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Queue A", L"Driver A", L"LPT1:"});
  memory.addMonitor(L"Local Monitor");
  SpoolerHandle queue = nullptr;
  SpoolerHandle monitor = nullptr;
  SpoolerHandle reader = nullptr;
  ASSERT_TRUE(memory.openPrinterW(L"Queue A", &queue, kPrinterAllAccess));
  ASSERT_TRUE(memory.openPrinterW(L",XcvMonitor Local Monitor", &monitor, 1));
  ASSERT_TRUE(memory.openPrinterW(L"Queue A", &reader, 0x8));  // use only, no delete right
  EXPECT_EQ(memory.openHandleCount(), 3u);
  std::uint32_t needed = 0;
  std::uint32_t status = 0;

  struct Case {
    const char* what;
    std::function<bool()> call;
    std::uint32_t error;
  };
  const Case cases[] = {
      {"GetPrinter on a monitor",
       [&] { return memory.getPrinterW(monitor, 6, nullptr, 0, &needed); }, kErrorInvalidHandle},
      {"XcvData on a queue",
       [&] {
         return memory.xcvDataW(queue, L"DeletePort", nullptr, 0, nullptr, 0, &needed, &status);
       },
       kErrorInvalidHandle},
      {"DeletePrinter on a monitor", [&] { return memory.deletePrinter(monitor); },
       kErrorInvalidHandle},
      {"DeletePrinter without the right", [&] { return memory.deletePrinter(reader); },
       kErrorAccessDenied},
      {"GetPrinter on null", [&] { return memory.getPrinterW(nullptr, 6, nullptr, 0, &needed); },
       kErrorInvalidHandle},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(memory.lastError(), c.error) << c.what;
  }
  EXPECT_TRUE(memory.closePrinter(queue));
  EXPECT_FALSE(memory.closePrinter(queue));
  EXPECT_EQ(memory.lastError(), kErrorInvalidHandle);
  EXPECT_TRUE(memory.closePrinter(monitor));
  EXPECT_TRUE(memory.closePrinter(reader));
  EXPECT_EQ(memory.openHandleCount(), 0u);
}

TEST(MemoryPrintSystemTest, OpeningMissingObjectsFailsWithWinspoolCodes) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Queue A", L"Driver A", L"LPT1:"});
  memory.addMonitor(L"DeviceLinkMonitor");
  memory.addServerQueue({L"\\\\srv\\q", L"Driver A"});
  struct Case {
    const wchar_t* name;
    std::uint32_t error;  // 0 = opens
  };
  const Case cases[] = {
      {L"Queue B", kErrorInvalidPrinterName},
      {L",XcvMonitor Standard TCP/IP Port", kErrorUnknownPort},
      {L",XcvMonitor devicelinkmonitor", 0},
      {L",XcvMonitor DeviceLinkMonitor", 0},
      {L",XcvMonitor ", kErrorUnknownPort},
      {L",XcvPort LPT1:", kErrorInvalidPrinterName},
      {L"", 0},  // the local print server
      {L"\\\\SRV\\Q", 0},
      {L"\\\\srv\\other", kErrorInvalidPrinterName},
      {L"\\\\silent\\q", kErrorServerUnavailable},
  };
  for (const Case& c : cases) {
    SpoolerHandle handle = reinterpret_cast<SpoolerHandle>(0x5);
    const bool opened = memory.openPrinterW(c.name, &handle, kServerAccessAdminister);
    EXPECT_EQ(opened, c.error == 0) << ::testing::PrintToString(std::wstring(c.name));
    if (opened) {
      EXPECT_TRUE(memory.closePrinter(handle));
    } else {
      EXPECT_EQ(handle, nullptr);
      EXPECT_EQ(memory.lastError(), c.error);
    }
  }
}

TEST(MemoryPrintSystemTest, DeletionsFollowWinspoolRules) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Busy", L"Driver A", L"LPT1:", 0, 2});
  memory.addDriver(L"Driver A");
  memory.addDriver(L"Driver B");
  memory.addConnection({L"\\\\srv\\p", L"Driver B"});
  memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});

  EXPECT_FALSE(memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver A", 1, 3));
  EXPECT_EQ(memory.lastError(), kErrorPrinterDriverInUse);
  EXPECT_FALSE(memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver Z", 1, 3));
  EXPECT_EQ(memory.lastError(), kErrorUnknownPrinterDriver);
  // Any user's connection and the machine's hold their driver, whoever asks.
  memory.addDriver(L"Driver C");
  memory.addConnection({L"\\\\srv\\c", L"Driver C"}, L"other");
  memory.addServerQueue({L"\\\\srv\\m", L"Driver D"});
  memory.addMachineConnection(L"\\\\srv\\m");
  memory.addDriver(L"Driver D");
  memory.setCallingUser(MemoryPrintSystem::kLocalSystem);
  for (const wchar_t* held : {L"Driver B", L"Driver C", L"Driver D"}) {
    EXPECT_FALSE(memory.deletePrinterDriverExW(nullptr, nullptr, held, 1, 3));
    EXPECT_EQ(memory.lastError(), kErrorPrinterDriverInUse);
  }
  EXPECT_FALSE(memory.deletePrinterConnectionW(L"\\\\srv\\p"));
  EXPECT_EQ(memory.lastError(), kErrorFileNotFound);
  memory.setCallerAdministrator(false);
  EXPECT_FALSE(memory.deletePerMachineConnectionW(nullptr, L"\\\\srv\\m"));
  EXPECT_EQ(memory.lastError(), kErrorAccessDenied);
  memory.setCallerAdministrator(true);
  EXPECT_TRUE(memory.deletePerMachineConnectionW(nullptr, L"\\\\SRV\\M"));
  EXPECT_TRUE(memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver D", 1, 3));
  memory.setCallingUser(MemoryPrintSystem::kSignedInUser);

  EXPECT_TRUE(memory.deletePrinterConnectionW(L"\\\\SRV\\P"));
  EXPECT_FALSE(memory.deletePrinterConnectionW(L"\\\\srv\\p"));
  EXPECT_EQ(memory.lastError(), kErrorFileNotFound);
  EXPECT_TRUE(memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver B", 1, 3));
  ASSERT_EQ(memory.drivers().size(), 2u);

  EXPECT_FALSE(memory.deletePortW(nullptr, nullptr, L"lpt1:"));  // the queue prints to it
  EXPECT_EQ(memory.lastError(), kErrorBusy);
  memory.addPort({L"LPT2:", L"Local Monitor", L"Local Port", 1});
  EXPECT_TRUE(memory.deletePortW(nullptr, nullptr, L"LPT2:"));
  EXPECT_FALSE(memory.deletePortW(nullptr, nullptr, L"LPT2:"));
  EXPECT_EQ(memory.lastError(), kErrorUnknownPort);

  // A queue with jobs is only marked for deletion, as the spooler does.
  SpoolerHandle handle = nullptr;
  ASSERT_TRUE(memory.openPrinterW(L"Busy", &handle, kPrinterAllAccess));
  EXPECT_TRUE(memory.deletePrinter(handle));
  ASSERT_EQ(memory.queues().size(), 1u);
  EXPECT_EQ(memory.queues()[0].status, 0x4u);
  memory.queues()[0].jobs = 0;
  EXPECT_TRUE(memory.deletePrinter(handle));
  EXPECT_TRUE(memory.queues().empty());
  EXPECT_FALSE(memory.deletePrinter(handle));
  EXPECT_EQ(memory.lastError(), kErrorInvalidPrinterName);
  EXPECT_TRUE(memory.closePrinter(handle));
}

TEST(MemoryPrintSystemTest, MonitorRecordsEveryCallAndRemovesThePortOnSuccess) {
  MemoryPrintSystem memory;
  memory.addPort({L"DL_1", L"DeviceLinkMonitor", L"Device Link", 1});
  memory.addPort({L"DL_2", L"DeviceLinkMonitor", L"Device Link", 1});
  MemoryPrintSystem::Monitor& monitor = memory.addMonitor(L"DeviceLinkMonitor", 87);
  SpoolerHandle handle = nullptr;
  ASSERT_TRUE(memory.openPrinterW(L",XcvMonitor DeviceLinkMonitor", &handle, 1));
  const std::vector<std::uint8_t> record = {'D', 0, 'L', 0, '_', 0, '2', 0, 0, 0, 0xEE};
  std::uint32_t needed = 5;
  std::uint32_t status = 0;

  ASSERT_TRUE(
      memory.xcvDataW(handle, L"DeletePort", record.data(), 11, nullptr, 0, &needed, &status));
  EXPECT_EQ(status, 87u);
  EXPECT_EQ(needed, 0u);
  EXPECT_EQ(memory.ports().size(), 2u);  // refused: nothing removed

  monitor.deletePortStatus = 0;
  ASSERT_TRUE(
      memory.xcvDataW(handle, L"DeletePort", record.data(), 11, nullptr, 0, &needed, &status));
  EXPECT_EQ(status, 0u);
  ASSERT_EQ(memory.ports().size(), 1u);
  EXPECT_EQ(memory.ports()[0].name, L"DL_1");

  ASSERT_TRUE(memory.xcvDataW(handle, L"AddPort", record.data(), 4, nullptr, 0, &needed, &status));
  EXPECT_EQ(status, kErrorInvalidParameter);

  ASSERT_EQ(monitor.received.size(), 3u);
  EXPECT_EQ(monitor.received[0].command, L"DeletePort");
  EXPECT_EQ(monitor.received[0].input, record);
  EXPECT_EQ(monitor.received[2].command, L"AddPort");
  EXPECT_EQ(monitor.received[2].input,
            std::vector<std::uint8_t>(record.begin(), record.begin() + 4));
  EXPECT_TRUE(memory.closePrinter(handle));
}

TEST(MemoryPrintSystemTest, InjectedFailuresHitTheChosenCall) {
  MemoryPrintSystem memory;
  memory.addDriver(L"Driver A");
  std::uint32_t needed = 0;
  std::uint32_t returned = 0;
  const auto enumerate = [&] {
    std::vector<std::uint8_t> buffer(64);
    return memory.enumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), 64, &needed, &returned);
  };

  memory.failNext(Op::EnumPrinterDrivers, 5, 1);
  EXPECT_TRUE(enumerate());
  EXPECT_FALSE(enumerate());
  EXPECT_EQ(memory.lastError(), 5u);
  EXPECT_TRUE(enumerate());  // once only

  memory.failAlways(Op::EnumPrinterDrivers, 1722);
  EXPECT_FALSE(enumerate());
  EXPECT_FALSE(enumerate());
  EXPECT_EQ(memory.lastError(), 1722u);
  memory.stopFailing(Op::EnumPrinterDrivers);
  EXPECT_TRUE(enumerate());

  // An injected failure changes nothing.
  memory.failNext(Op::DeletePrinterDriverEx, 5);
  EXPECT_FALSE(memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver A", 1, 3));
  EXPECT_EQ(memory.drivers().size(), 1u);
}

TEST(MemoryPrintSystemTest, HookRunsOnceAfterTheNextCall) {
  MemoryPrintSystem memory;
  int runs = 0;
  memory.afterNextCall(Op::EnumPorts, [&] {
    ++runs;
    memory.addPort({L"COM1:", L"Local Monitor", L"Local Port", 1});
  });
  std::uint32_t needed = 0;
  std::uint32_t returned = 0;
  EXPECT_TRUE(memory.enumPortsW(nullptr, 2, nullptr, 0, &needed, &returned));
  EXPECT_EQ(needed, 0u);  // the answer came before the hook
  EXPECT_EQ(runs, 1);
  memory.enumPortsW(nullptr, 2, nullptr, 0, &needed, &returned);
  EXPECT_EQ(runs, 1);
  EXPECT_GT(needed, 0u);
}

TEST(MemoryPrintSystemTest, SuccessLeavesTheLeftoverCodeOnlyWhenAsked) {
  MemoryPrintSystem memory;
  memory.addDriver(L"Driver A");
  memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver Z", 1, 3);
  std::uint32_t needed = 0;
  std::uint32_t returned = 0;
  std::vector<std::uint8_t> buffer(64);
  ASSERT_TRUE(
      memory.enumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), 64, &needed, &returned));
  EXPECT_EQ(memory.lastError(), kErrorUnknownPrinterDriver);  // untouched, as on Windows
  memory.setLeftoverErrorOnSuccess(183);
  ASSERT_TRUE(
      memory.enumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), 64, &needed, &returned));
  EXPECT_EQ(memory.lastError(), 183u);
}

TEST(MemoryPrintSystemTest, JournalWritesEachCallLikeTheCall) {
  MemoryPrintSystem memory;
  memory.addQueue({L"Queue A", L"Driver A", L"LPT1:"});
  SpoolerHandle handle = nullptr;
  std::uint32_t needed = 0;
  std::uint32_t returned = 0;
  memory.openPrinterW(L"Queue A", &handle, kPrinterAllAccess);
  memory.getPrinterW(handle, 6, nullptr, 0, &needed);
  memory.closePrinter(handle);
  memory.enumPrintersW(kPrinterEnumLocal, nullptr, 2, nullptr, 0, &needed, &returned);
  memory.deletePrinterDriverExW(nullptr, nullptr, L"Driver A", 1, 3);
  memory.deletePortW(nullptr, nullptr, L"LPT1:");
  EXPECT_EQ(memory.calls(), (std::vector<std::wstring>{
                                L"OpenPrinterW(Queue A, 983052)",
                                L"GetPrinterW(h1, 6, null, 0)",
                                L"ClosePrinter(h1)",
                                L"EnumPrintersW(2, null, 2, null, 0)",
                                L"DeletePrinterDriverExW(null, null, Driver A, 1, 3)",
                                L"DeletePortW(null, null, LPT1:)",
                            }));
}

#ifndef _WIN32
// The native program's own print system holds nothing and answers as an empty in-memory one.
TEST(MemoryPrintSystemTest, EmptyOneAnswersAsTheNativePlatformsOwn) {
  std::uint8_t buffer[8];
  std::uint32_t needed = 0, returned = 0, status = 0;
  SpoolerHandle server = nullptr;
  using Call = std::function<bool(PrintSpooler&)>;
  const auto open = [&](const wchar_t* name) {
    return [&, name](PrintSpooler& s) { return s.openPrinterW(name, &server, kPrinterAllAccess); };
  };
  const std::vector<Call> calls{
      [&](PrintSpooler& s) {
        return s.enumPrintersW(6, nullptr, 2, nullptr, 0, &needed, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPrintersW(2, nullptr, 1, buffer, 8, &needed, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPrintersW(2, nullptr, 2, nullptr, 8, &needed, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPrintersW(2, nullptr, 2, buffer, 8, nullptr, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPrinterDriversW(0, 0, 1, buffer, 8, &needed, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPrinterDriversW(0, 0, 2, buffer, 8, &needed, &returned);
      },
      [&](PrintSpooler& s) { return s.enumPortsW(nullptr, 2, buffer, 8, &needed, &returned); },
      [&](PrintSpooler& s) { return s.enumPortsW(nullptr, 1, buffer, 8, &needed, nullptr); },
      open(L"Queue"),
      open(L",XcvMonitor DLM"),
      open(L",XcvPort P"),
      [&](PrintSpooler& s) { return s.openPrinterW(L"", nullptr, kPrinterAllAccess); },
      open(nullptr),
      [&](PrintSpooler& s) { return s.getPrinterW(server, 2, buffer, 8, &needed); },
      [&](PrintSpooler& s) { return s.deletePrinter(server); },
      [&](PrintSpooler& s) {
        return s.xcvDataW(server, L"DeletePort", nullptr, 0, nullptr, 0, &needed, &status);
      },
      [&](PrintSpooler& s) { return s.closePrinter(server); },
      [&](PrintSpooler& s) { return s.closePrinter(server); },
      open(L""),
      [&](PrintSpooler& s) { return s.closePrinter(server); },
      [&](PrintSpooler& s) { return s.deletePrinterConnectionW(L"\\\\srv\\q"); },
      [&](PrintSpooler& s) { return s.deletePrinterConnectionW(nullptr); },
      [&](PrintSpooler& s) { return s.deletePrinterDriverExW(0, 0, L"Driver", 0, 0); },
      [&](PrintSpooler& s) { return s.deletePrinterDriverExW(0, 0, nullptr, 0, 0); },
      [&](PrintSpooler& s) { return s.deletePortW(nullptr, nullptr, L"LPT1:"); },
      [&](PrintSpooler& s) { return s.deletePortW(nullptr, nullptr, nullptr); },
      [&](PrintSpooler& s) {
        return s.enumPerMachineConnectionsW(nullptr, nullptr, 0, &needed, &returned);
      },
      [&](PrintSpooler& s) {
        return s.enumPerMachineConnectionsW(nullptr, nullptr, 8, &needed, &returned);
      },
      [&](PrintSpooler& s) { return s.deletePerMachineConnectionW(nullptr, L"\\\\srv\\q"); },
      open(L"\\\\srv\\q"),
  };
  const auto answers = [&](PrintSpooler& spooler) {
    std::vector<std::vector<std::uint64_t>> seen;
    server = nullptr;
    for (const Call& call : calls) {
      needed = returned = 7;
      const bool ok = call(spooler);
      seen.push_back({ok, spooler.lastError(), needed, returned, server != nullptr});
    }
    return seen;
  };
  MemoryPrintSystem memory;
  EXPECT_EQ(answers(platformPrintSpooler()), answers(memory));
}
#endif

}  // namespace
}  // namespace kv
