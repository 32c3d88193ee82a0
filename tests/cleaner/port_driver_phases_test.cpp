#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "cleaner/cleaning_phases.h"
#include "config/pending_removals_note.h"
#include "phase_test.h"
#include "spooler/print_spooler.h"
#include "standins/driver_store_memory.h"

namespace kv {
namespace {

using PortDriverPhasesTest = test::PhaseTest;

const char kPortHeader[] = "Info: KVTool cleaner Deleting port started: 12/06/2026 14:05:00\n";
const char kDriverHeader[] = "Info: KVTool cleaner Deleting driver started: 12/06/2026 14:05:00\n";

std::uint32_t wordAt(const std::vector<std::uint8_t>& record, std::size_t offset) {
  std::uint32_t word = 0;
  std::memcpy(&word, record.data() + offset, sizeof word);
  return word;
}

// Two maker queues on one port: the monitor the lookup names decides how the port goes, once.
TEST_F(PortDriverPhasesTest, EachMonitorNameTakesItsRoute) {
  enum Route { Spooler, Monitor, None };
  struct Case {
    std::wstring port;
    std::wstring monitor;      // as the port enumeration reports it
    std::wstring description;  // as the port enumeration reports it
    std::string lookedUp;      // the monitor name the phase logs; empty: port not listed
    Route route;
    std::size_t recordSize;
    std::uint32_t protocol;  // logged and sent for the maker's monitors only
  };
  const Case cases[] = {
      {L"NVL7:", L"Local Monitor", L"Local Port", "Local Monitor", Spooler, 0, 0},
      {L"IP_1", L"TCPMON.DLL", L"", "Standard TCP/IP Port", Monitor, 236, 0},
      {L"IP_2", L"Acme", L"Standard TCP/IP Port", "Standard TCP/IP Port", Monitor, 236, 0},
      {L"CSR1", L"Client Side Rendering Port", L"", "Client Side Rendering Port", Spooler, 0, 0},
      {L"NET1", L"Internet Port", L"", "Internet Port", Spooler, 0, 0},
      {L"DLM1", L"DeviceLinkMonitor", L"", "DeviceLinkMonitor", Monitor, 5040, 2},
      {L"DLM:2", L"DeviceLinkMonitor", L"", "DeviceLinkMonitor", Monitor, 5040, 3},
      {L"NPA/3", L"NetPath IO Agent", L"", "NetPath IO Agent", Monitor, 5040, 3},
      {L"NPA,4", L"NetPath IO Agent", L"", "NetPath IO Agent", Monitor, 5040, 3},
      {L"NPA\\5", L"NetPath IO Agent", L"", "NetPath IO Agent", Monitor, 5040, 2},
      {L"ZT1", L"ZT AK9 port", L"", "ZT AK9 port", Monitor, 236, 0},
      {L"VX1", L"VNDX port", L"", "VNDX port", Monitor, 236, 0},
      {L"ODD1", L"Acme Monitor", L"", "Acme Monitor", Spooler, 0, 0},
      {L"LOC1", L"local monitor", L"", "local monitor", Spooler, 0, 0},
      {L"GONE", L"", L"", "", None, 0, 0},
  };
  for (const Case& c : cases) {
    const std::string port(c.port.begin(), c.port.end());
    SCOPED_TRACE(port);
    memory = MemoryPrintSystem();
    if (c.route != None) memory.addPort({c.port, c.monitor, c.description, 1});
    const std::wstring lookedUp(c.lookedUp.begin(), c.lookedUp.end());
    if (c.route == Monitor) memory.addMonitor(lookedUp);
    run = CleanerRun();
    run.options.clean = true;
    run.queueNames = {L"Q1", L"Q2"};
    run.queueDrivers = {L"NOVAX D", L"NOVAX D"};
    run.queuePorts = {c.port, c.port};
    detailLog().open(dir.child(L"detail.log"));
    removePorts(run);

    std::string lines = kPortHeader + ("Info: Deleting port " + port + "...\n");
    if (c.route == None) lines += "Warn: Monitor name not found: " + port + "\n";
    if (c.route != None) lines += "Info: Port monitor name: " + c.lookedUp + "\n";
    if (c.protocol != 0)
      lines += "Info: Alder port protocol type: " + std::to_string(c.protocol) + "\n";
    if (c.route == Monitor) lines += "Info: Successfully deleted port: " + port + "\n";
    if (c.route == Spooler) lines += "Info: Successfully removed port: " + port + "\n";
    lines += "Info: Deleting port " + port + "...\n";
    lines += c.route == None ? "Warn: Monitor name not found: " + port + "\n"
                             : "Debug: Port previously deleted: " + port + "\n";
    EXPECT_EQ(log(), lines);

    const std::vector<std::wstring> calls = nonListingCalls();
    if (c.route == Spooler) {
      EXPECT_EQ(calls, std::vector<std::wstring>{L"DeletePortW(null, null, " + c.port + L")"});
    } else if (c.route == Monitor) {
      const auto& received = memory.monitor(lookedUp)->received;
      ASSERT_EQ(received.size(), 1u);
      EXPECT_EQ(received[0].input.size(), c.recordSize);
      if (c.recordSize == 5040) {
        EXPECT_EQ(wordAt(received[0].input, 132), c.protocol);
      }
    } else {
      EXPECT_EQ(calls, std::vector<std::wstring>{});
    }
    EXPECT_TRUE(memory.ports().empty());
    EXPECT_EQ(run.pCount, 0);
    EXPECT_TRUE(run.finishedSet.empty());
  }
}

// The driver phase's lines when "NOVAX D" goes at the first attempt ("$": its header).
#define NOVAX_D_DELETED                         \
  "$Info: Deleting driver NOVAX D...\n"         \
  "Debug: finishedSet.count = 0\n"              \
  "Info: Successfully deleted driver NOVAX D\n" \
  "Debug: finishedSet.size = 1\n"

// Two maker queues Q1 and Q2 that share port "SP" and driver "NOVAX D", unless a case says
// otherwise; the whole removal runs on them.
TEST_F(PortDriverPhasesTest, SharedPortsAndDriversGoOnceAndFailuresCountEachTime) {
  struct Case {
    const char* name;
    bool clean;
    std::function<void(MemoryPrintSystem&)> arrange;
    const char* lines;  // from the port header on
    std::int32_t pCount;
    std::int32_t failureCount;
    const char* before = "";  // a line before the port header
  };
  const auto sharedPair = [](MemoryPrintSystem& m) {
    m.addQueue({L"Q1", L"NOVAX D", L"SP"});
    m.addQueue({L"Q2", L"NOVAX D", L"SP"});
  };
  const Case cases[] = {
      {"deleted once", true, sharedPair,
       "Info: Deleting port SP...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: SP\n"
       "Info: Deleting port SP...\n"
       "Debug: Port previously deleted: SP\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: Successfully deleted driver NOVAX D\n"
       "Debug: finishedSet.size = 1\n"
       "Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 1\n"
       "Debug: Driver previously deleted NOVAX D\n",
       0, 0},
      {"tried again after each failure", true,
       [&](MemoryPrintSystem& m) {
         sharedPair(m);
         m.failAlways(SpoolerOperation::DeletePort, 5);
         m.failAlways(SpoolerOperation::DeletePrinterDriverEx, 3001);
       },
       "Info: Deleting port SP...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Error: Failed to removed port SP.(5)\n"
       "Info: Deleting port SP...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Error: Failed to removed port SP.(5)\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Error: Error: Failed to delete driver NOVAX D.(3001)\n"
       "Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Error: Error: Failed to delete driver NOVAX D.(3001)\n",
       2, 2},
      {"simulation", false, sharedPair,
       "Info: Deleting port SP...\n"
       "Info: SIMULATION:Successfully deleted port: SP\n"
       "Info: Deleting port SP...\n"
       "Info: SIMULATION:Successfully deleted port: SP\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: SIMULATION:Successfully deleted driver NOVAX D\n"
       "Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: SIMULATION:Successfully deleted driver NOVAX D\n",
       0, 0},
      // The set compares names exactly, so names differing only in case are both deleted.
      {"names differing in case", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP"});
         m.addQueue({L"Q2", L"NOVAX d", L"sp"});
       },
       "Info: Deleting port SP...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: SP\n"
       "Info: Deleting port sp...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: sp\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: Successfully deleted driver NOVAX D\n"
       "Debug: finishedSet.size = 1\n"
       "Info: Deleting driver NOVAX d...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: Successfully deleted driver NOVAX d\n"
       "Debug: finishedSet.size = 2\n",
       0, 0},
      // A port and a driver of one name: the set is emptied between the two phases.
      {"port named like the driver", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"NOVAX D"});
       },
       "Info: Deleting port NOVAX D...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: NOVAX D\n" NOVAX_D_DELETED,
       0, 0},
      // Another maker's queue prints to the maker's port (pooled, in other letter case): the
      // port stays, in a test run as in a real one.
      {"port of another queue", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP"});
         m.addQueue({L"Other", L"Acme 5", L"LPT9:,sp"});
       },
       "Info: Deleting port SP...\n"
       "Warn: Port still used by a queue that is not cleaned: SP\n" NOVAX_D_DELETED,
       0, 0},
      {"port of another queue in upper case", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"sp"});
         m.addQueue({L"Other", L"Acme 5", L"SP"});
       },
       "Info: Deleting port sp...\n"
       "Warn: Port still used by a queue that is not cleaned: sp\n" NOVAX_D_DELETED,
       0, 0},
      // Another maker's queue comes on the port after the queues were listed.
      {"port of a queue that came later", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP"});
         m.afterNextCall(SpoolerOperation::DeletePrinter, [&m] {
           m.addQueue({L"Late", L"Acme 5", L"sp"});
         });
       },
       "Info: Deleting port SP...\n"
       "Warn: Port still used by a queue that is not cleaned: SP\n" NOVAX_D_DELETED,
       0, 0},
      // Each port of a pooled queue's text is a port of its own, guarded on its own.
      {"pooled ports", true,
       [](MemoryPrintSystem& m) {
         m.addPort({L"POOLA:", L"Local Monitor", L"Local Port", 1});
         m.addPort({L"POOLB:", L"Local Monitor", L"Local Port", 1});
         m.addQueue({L"Q1", L"NOVAX D", L"POOLA:,POOLB:"});
         m.addQueue({L"Other", L"Acme 5", L"POOLB:"});
       },
       "Info: Deleting port POOLA:...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: POOLA:\n"
       "Info: Deleting port POOLB:...\n"
       "Warn: Port still used by a queue that is not cleaned: POOLB:\n" NOVAX_D_DELETED,
       0, 0},
      // The spooler lists the port in another case than the queue names it.
      {"port text in another case", true,
       [](MemoryPrintSystem& m) {
         m.addPort({L"CASEP1:", L"Local Monitor", L"Local Port", 1});
         m.addQueue({L"Q1", L"NOVAX D", L"casep1:"});
       },
       "Info: Deleting port casep1:...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: casep1:\n" NOVAX_D_DELETED,
       0, 0},
      // The second listing fails: the first one's guard stands, and the run says so.
      {"second listing fails", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP"});
         m.addQueue({L"Other", L"Acme 5", L"SP"});
         m.afterNextCall(SpoolerOperation::DeletePrinter,
                         [&m] { m.failNext(SpoolerOperation::EnumPrinters, 5, 1); });
       },
       "Info: Deleting port SP...\n"
       "Warn: Port still used by a queue that is not cleaned: SP\n" NOVAX_D_DELETED,
       0, 0, "\nWarn: Failed to enumerate printers again; ports in use as first listed.\n"},
      // Windows' own ports stay, whatever their letter case, with the queue that used them gone.
      {"Windows' own port", true,
       [](MemoryPrintSystem& m) {
         m.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
         m.addQueue({L"Q1", L"NOVAX D", L"lpt1:"});
       },
       "Info: Deleting port lpt1:...\n"
       "Debug: Port of Windows itself, kept for every printer: lpt1:\n" NOVAX_D_DELETED,
       0, 0},
      {"Windows' own ports are the local monitor's", true,
       [](MemoryPrintSystem& m) {
         for (const wchar_t* port : {L"COM4:", L"SHRFAX:"})
           m.addPort({port, L"Local Monitor", {}, 1});
         m.addPort({L"LPT1:", L"Acme Monitor", L"", 1});
         m.addQueue({L"Q1", L"NOVAX D", L"COM4:,shrfax:,LPT1:"});
       },
       "Info: Deleting port COM4:...\n"
       "Debug: Port of Windows itself, kept for every printer: COM4:\n"
       "Info: Deleting port shrfax:...\n"
       "Debug: Port of Windows itself, kept for every printer: shrfax:\n"
       "Info: Deleting port LPT1:...\nInfo: Port monitor name: Acme Monitor\n"
       "Info: Successfully removed port: LPT1:\n" NOVAX_D_DELETED,
       0, 0},
      // A stray comma or two make a pooled text as well; empty parts name no port.
      {"stray commas", true,
       [](MemoryPrintSystem& m) {
         m.addPort({L"NVT1", L"Local Monitor", L"Local Port", 1});
         m.addPort({L"NVT2", L"Local Monitor", L"Local Port", 1});
         m.addQueue({L"Q1", L"NOVAX D", L"NVT1,"});
         m.addQueue({L"Q2", L"NOVAX D", L",,NVT2"});
       },
       "Info: Deleting port NVT1...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: NVT1\n"
       "Info: Deleting port NVT2...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Info: Successfully removed port: NVT2\n" NOVAX_D_DELETED
       "Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 1\n"
       "Debug: Driver previously deleted NOVAX D\n",
       0, 0},
      // The spooler refuses the port and the driver of a queue that stays.
      {"busy queue's port and driver", true,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP", 0x1});
       },
       "Info: Deleting port SP...\n"
       "Info: Port monitor name: Local Monitor\n"
       "Error: Failed to removed port SP.(170)\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Error: Error: Failed to delete driver NOVAX D.(3001)\n",
       1, 1},
      {"port of another queue in a test run", false,
       [](MemoryPrintSystem& m) {
         m.addQueue({L"Q1", L"NOVAX D", L"SP"});
         m.addQueue({L"Other", L"Acme 5", L"SP"});
       },
       "Info: Deleting port SP...\n"
       "Warn: Port still used by a queue that is not cleaned: SP\n"
       "$Info: Deleting driver NOVAX D...\n"
       "Debug: finishedSet.count = 0\n"
       "Info: SIMULATION:Successfully deleted driver NOVAX D\n",
       0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memory = MemoryPrintSystem();
    addLocalPort(L"SP");
    addLocalPort(L"sp");
    addLocalPort(L"NOVAX D");
    memory.addDriver(L"NOVAX D");
    memory.addDriver(L"NOVAX d");
    c.arrange(memory);
    system.machineValues.clear();  // no note of the case before
    run = CleanerRun();
    run.options.clean = c.clean;
    detailLog().open(dir.child(L"detail.log"));
    removeLocalQueuesNoted();
    removePorts(run);
    removeDrivers(run);

    std::string expected = std::string(kPortHeader) + c.lines;
    expected.replace(expected.find('$'), 1, kDriverHeader);
    EXPECT_EQ(log("Info: KVTool cleaner Deleting port started"), expected);
    EXPECT_EQ(run.pCount, c.pCount);
    EXPECT_EQ(run.failureCount, c.failureCount);
    EXPECT_NE(log().find(c.before), std::string::npos) << c.before;
    if (!c.clean) {
      EXPECT_EQ(nonListingCalls(), std::vector<std::wstring>{});
    }
  }
}

TEST_F(PortDriverPhasesTest, NoMakerQueueLeftWritesOnlyTheDriverHeader) {
  addQueue(L"Other", L"Acme 5", L"LPT1:");
  removeLocalQueuesNoted();
  removePorts(run);
  removeDrivers(run);
  EXPECT_EQ(log("Info: KVTool cleaner Deleting local queue started"),
            "Info: KVTool cleaner Deleting local queue started: 12/06/2026 14:05:00\n" +
                std::string(kDriverHeader));
  for (const std::wstring& call : memory.calls()) EXPECT_FALSE(call.starts_with(L"EnumPortsW"));
}

// On request, after the driver phase: unused drivers of every environment, then the maker's
// packages no installed driver uses; another maker's package is never touched.
TEST_F(PortDriverPhasesTest, DriverStoreOptInsRemoveUnusedDriversThenPackages) {
  struct Case {
    const char* name;
    bool clean;
    RemovalOptIns optIns;
    std::function<void(MemoryDriverStore&, test::FakeSystemServices&)> arrange;
    std::string lines;  // from the store phase's first header on
    std::int32_t failureCount;
    const char* remaining;                              // the packages left in the store
    std::optional<PendingRemoval> note = std::nullopt;  // the note's one entry after the run
  };
  constexpr OptIn on = OptIn::On, off = OptIn::Off, wrong = OptIn::Unknown;
  const RemovalOptIns neither{off, off}, unknown{wrong, wrong}, packagesOnly{off, on}, both{on, on};
  const auto none = [](MemoryDriverStore&, test::FakeSystemServices&) {};
  const std::string header = "Info: KVTool cleaner Deleting ",
                    started = " started: 12/06/2026 14:05:00\n";
  const std::string unused = header + "unused drivers" + started,
                    packages = header + "driver packages" + started;
  const std::string spare = "driver NOVAX Spare (Windows NT x86)\n",
                    oem3 = "driver package oem3.inf (S:\\novax\\novax.inf)";
  const std::string oem4 = "driver package oem4.inf (S:\\spare\\spare.inf)";
  const std::string tryUnused = "Info: Deleting unused driver NOVAX Spare (Windows NT x86)...\n",
                    goneUnused = "Info: Successfully deleted " + spare;
  const std::string try3 = "Info: Deleting " + oem3 + "...\n",
                    gone3 = "Info: Successfully deleted " + oem3 + "\n";
  const std::string try4 = "Info: Deleting " + oem4 + "...\n",
                    gone4 = "Info: Successfully deleted " + oem4 + "\n";
  const std::string spareStays =
      "Info: Driver package oem4.inf (S:\\spare\\spare.inf) stays: an installed driver still uses "
      "it (NOVAX Spare (Windows NT x86))\n";
  const std::string otherStays =
      "Info: Driver package oem6.inf (S:\\acme6\\acme.inf) stays: another maker's driver uses it "
      "(Other Laser (Windows x64))\n";
  const std::string missing =
      "Debug: DeletePrinterDriverPackageW is missing (127): SetupUninstallOEMInfW oem3.inf\n";
  const std::string all = "oem3.inf oem4.inf oem5.inf oem6.inf";
  const PendingRemoval stayed{L"oem3.inf", L"S:\\novax\\novax.inf", false,
                              183,         L"2026-12-06T13:05:00Z", true};
  const PendingRemoval earlier{L"oem3.inf", L"S:\\novax\\novax.inf", false,
                               3015,        L"2026-12-01T08:00:00Z", true};
  const Case cases[] = {
      {"off", true, neither, none, "", 0, all.c_str()},
      {"wrong value: off", true, unknown, none, "", 0, all.c_str()},
      {"packages only", true, packagesOnly, none, packages + try3 + gone3 + spareStays + otherStays,
       0, "oem4.inf oem5.inf oem6.inf"},
      {"unused drivers first, then packages", true, both, none,
       unused + tryUnused + goneUnused + packages + try3 + gone3 + try4 + gone4 + otherStays, 0,
       "oem5.inf oem6.inf"},
      {"simulation", false, both, none,
       unused + tryUnused + "Info: SIMULATION:Successfully deleted " + spare + packages + try3 +
           "Info: SIMULATION:Successfully deleted " + oem3 + "\n" + try4 +
           "Info: SIMULATION:Successfully deleted " + oem4 + "\n" + otherStays,
       0, all.c_str()},
      {"no spooler removal (127): the setup library's", true, packagesOnly,
       [](MemoryDriverStore& s, test::FakeSystemServices&) { s.setSpoolerRemovalMissing(true); },
       packages + try3 + missing + gone3 + spareStays + otherStays, 0,
       "oem4.inf oem5.inf oem6.inf"},
      {"success while the package stays (Wine 8): a failure, noted", true, packagesOnly,
       [](MemoryDriverStore& s, test::FakeSystemServices&) {
         s.setSpoolerRemovalMissing(true);
         s.setRemovalsKeepPackages(true);
       },
       packages + try3 + missing + "Error: Failed to delete " + oem3 + ".(183)\n" + spareStays +
           otherStays,
       1, all.c_str(), stayed},
      {"refused again: the earlier entry keeps its first time", true, packagesOnly,
       [&](MemoryDriverStore& s, test::FakeSystemServices& system) {
         s.failNext(DriverStoreOperation::DeletePackage, 3015);
         system.machineValues[L"PendingRemovals"] = encodePendingRemovals({earlier});
       },
       packages + try3 + "Error: Failed to delete " + oem3 + ".(3015)\n" + spareStays + otherStays,
       1, all.c_str(), earlier},
      {"tried again and removed: the note is done", true, packagesOnly,
       [&](MemoryDriverStore&, test::FakeSystemServices& system) {
         system.machineValues[L"PendingRemovals"] = encodePendingRemovals({earlier});
       },
       packages + try3 + gone3 + spareStays + otherStays, 0, "oem4.inf oem5.inf oem6.inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memory = MemoryPrintSystem();
    memory.addDriver(L"NOVAX D", L"Windows x64", L"S:\\novax\\novax.inf");
    memory.addDriver(L"NOVAX Spare", L"Windows NT x86", L"C:\\Windows\\INF\\oem4.inf");
    memory.addDriver(L"Acme 5", L"Windows x64", L"S:\\acme5\\acme.inf");
    memory.addDriver(L"Other Laser", L"Windows x64", L"S:\\acme6\\acme.inf");
    addQueue(L"Q1", L"NOVAX D", L"LPT1:");
    addQueue(L"Other", L"Acme 5", L"LPT1:");
    MemoryDriverStore store(memory);
    ScopedDriverStore scopedStore(store);
    store.addPackage({L"oem3.inf", L"S:\\novax\\novax.inf", L"NOVAX", {L"NOVAX"}, {L"NOVAX D"}});
    store.addPackage(
        {L"oem4.inf", L"S:\\spare\\spare.inf", L"Haldenjet GmbH", {}, {L"NOVAX Spare"}});
    store.addPackage(
        {L"oem5.inf", L"S:\\acme5\\acme.inf", L"Acme", {L"Zulu Systems"}, {L"Zulu Laser 9"}});
    store.addPackage({L"oem6.inf", L"S:\\acme6\\acme.inf", L"Acme", {L"NOVAX"}, {L"Other Laser"}});
    system.machineValues.clear();
    c.arrange(store, system);
    run = CleanerRun();
    run.options.clean = c.clean;
    run.optIns = c.optIns;
    detailLog().open(dir.child(L"detail.log"));
    removeLocalQueuesNoted();
    removeDrivers(run);
    const std::string driverLines = log();
    removeUnusedDrivers(run);
    removeDriverPackages(run);
    const std::string storeLines = log().substr(driverLines.size());
    settlePendingRemovals(run);

    EXPECT_EQ(storeLines, c.lines);
    EXPECT_EQ(run.failureCount, c.failureCount);
    std::string remaining;
    for (const DriverPackage& p : store.packages()) {
      if (!remaining.empty()) remaining += ' ';
      remaining.append(p.publishedName.begin(), p.publishedName.end());
    }
    EXPECT_EQ(remaining, c.remaining);
    const auto note = system.machineValues.find(L"PendingRemovals");
    EXPECT_EQ(
        note == system.machineValues.end() ? std::nullopt : decodePendingRemovals(note->second),
        c.note ? std::optional(std::vector{*c.note}) : std::nullopt);
    for (const std::wstring& call : store.calls()) {
      EXPECT_TRUE(c.clean || call == L"listPrinterPackages") << call;
      EXPECT_FALSE(call.find(L"oem5.inf") != std::wstring::npos ||
                   call.find(L"acme") != std::wstring::npos)
          << call;
    }
  }
}

}  // namespace
}  // namespace kv
