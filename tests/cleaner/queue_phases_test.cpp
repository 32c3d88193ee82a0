#include <gtest/gtest.h>

#include <optional>

#include "cleaner/cleaning_phases.h"
#include "disconnect/disconnect_main.h"
#include "phase_test.h"
#include "spooler/print_spooler.h"

namespace kv {
namespace {

using QueuePhasesTest = test::PhaseTest;

TEST_F(QueuePhasesTest, SimulationFiltersFromTheLastQueueAndListsTheRestInOrder) {
  addQueue(L"Q1", L"Novax QZ-100", L"P1");
  addQueue(L"Q2", L"Other Laser 5", L"P2");
  addQueue(L"Q3", L"PS Driver for Omni Print", L"P3");
  addQueue(L"Q4", L"Acme Zulu", L"P4");
  run.options.clean = false;
  removeLocalQueuesNoted();
  EXPECT_EQ(log(),
            "Debug: Matching NFG string found : Q4 Driver: Acme Zulu\n"
            "Debug: Matching NFG string found : Q3 Driver: PS Driver for Omni Print\n"
            "Debug: No NFG driver string found,removing from list: Q2 Driver: Other Laser 5\n"
            "Debug: Matching NFG string found : Q1 Driver: Novax QZ-100\n"
            "Debug: --- Local Queue + Driver + Port dumps ---\n"
            "Debug: Local Queue: Q1 Driver: Novax QZ-100 Port: P1\n"
            "Debug: Local Queue: Q3 Driver: PS Driver for Omni Print Port: P3\n"
            "Debug: Local Queue: Q4 Driver: Acme Zulu Port: P4\n"
            "Info: KVTool cleaner Deleting local queue started: 12/06/2026 14:05:00\n"
            "Info: Deleting local queue Q1...\n"
            "Info: SIMULATION:Successfully deleted local queue Q1\n"
            "Info: Deleting local queue Q3...\n"
            "Info: SIMULATION:Successfully deleted local queue Q3\n"
            "Info: Deleting local queue Q4...\n"
            "Info: SIMULATION:Successfully deleted local queue Q4\n");
  EXPECT_EQ(nonListingCalls(), std::vector<std::wstring>{});
  EXPECT_EQ(run.qCount, 0);
}

TEST_F(QueuePhasesTest, ModelsReplaceTheBrandTexts) {
  struct Case {
    std::optional<std::wstring> models;  // as -M gives them; none: no models configured
    NameList kept;
    const char* firstFilterLine;
  };
  const Case cases[] = {
      {std::nullopt, {L"Q1", L"Q3", L"Q4"}, "Debug: Matching NFG string found : Q4"},
      {L"Novax QZ-100", {L"Q1"}, "Debug: No match found,removing from list: Q4"},
      {L"Acme Zulu|Other Laser 5|Acme Zulu", {L"Q2", L"Q4"}, "Debug: Match found : Q4"},
      // A lone separator is one empty model: the model filter, and nothing passes it.
      {L"|", {}, "Debug: No match found,removing from list: Q4"},
      {L"novax qz-100|PS Driver for Omni Print\t", {}, "Debug: No match found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.models.value_or(L"(none)").c_str());
    memory = MemoryPrintSystem();
    addQueue(L"Q1", L"Novax QZ-100", L"P1");
    addQueue(L"Q2", L"Other Laser 5", L"P2");
    addQueue(L"Q3", L"PS Driver for Omni Print ", L"P3");
    addQueue(L"Q4", L"Acme Zulu", L"P4");
    run = CleanerRun();
    if (c.models) {
      run.config.setModels(*c.models);
      fillModelSet(run.config.modelList, run.modelSet);
    }
    detailLog().open(dir.child(L"detail.log"));
    removeLocalQueuesNoted();
    EXPECT_EQ(run.queueNames, c.kept);
    EXPECT_TRUE(log().starts_with(c.firstFilterLine)) << log();
    // The three lists stay aligned: each kept queue keeps its own driver and port.
    ASSERT_EQ(run.queuePorts.size(), c.kept.size());
    for (std::size_t i = 0; i < c.kept.size(); ++i) {
      EXPECT_EQ(run.queuePorts[i], L"P" + c.kept[i].substr(1));
    }
  }
}

TEST_F(QueuePhasesTest, ConnectionsAreDisconnectedOrLoggedAsDone) {
  struct Case {
    bool clean;
    const char* lines;
    std::int32_t qCount;
    bool localSystem = false;
  };
  const char* const localSystemLine =
      "Warn: Running as LocalSystem, which sees no user's network printer connections: they stay "
      "(run in the user's session to remove them).\n";
  const Case cases[] = {
      {true,
       "Info: Disconnecting \\\\srv\\NOVAX 1...\n"
       "Info: Successfully deleted remote connection \\\\srv\\NOVAX 1.\n"
       "Info: Disconnecting \\\\srv\\Haldenjet 2...\n"
       "Error: Failed to delete \\\\srv\\Haldenjet 2.(5)\n",
       1},
      {false,
       "Info: Disconnecting \\\\srv\\NOVAX 1...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\NOVAX 1\n"
       "Info: Disconnecting \\\\srv\\Haldenjet 2...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\Haldenjet 2\n",
       0},
      // The spooler would list LocalSystem's connections only; the stand-in lists them anyway.
      {false,
       "Info: Disconnecting \\\\srv\\NOVAX 1...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\NOVAX 1\n"
       "Info: Disconnecting \\\\srv\\Haldenjet 2...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\Haldenjet 2\n",
       0, true},
  };
  for (const Case& c : cases) {
    memory = MemoryPrintSystem();
    memory.addConnection({L"\\\\srv\\NOVAX 1", L"NOVAX 1"});
    memory.addConnection({L"\\\\srv\\Other", L"Other"});
    memory.addConnection({L"\\\\srv\\Haldenjet 2", L"HaldenJet 2"});
    memory.failNext(SpoolerOperation::DeletePrinterConnection, kErrorAccessDenied, 1);
    run = CleanerRun();
    run.options.clean = c.clean;
    system.localSystem = c.localSystem;
    run.qCount = 7;
    run.pCount = 9;
    detailLog().open(dir.child(L"detail.log"));
    removeRemoteQueues(run);
    EXPECT_EQ(log(), std::string("Debug: -----Remote queues-----\n") +
                         (c.localSystem ? localSystemLine : "") +
                         "Debug: vector size after query 3\n"
                         "Debug: Matching NFG string found : \\\\srv\\Haldenjet 2 Driver: "
                         "HaldenJet 2\n"
                         "Debug: No NFG driver string found,removing from list: \\\\srv\\Other "
                         "Driver: Other\n"
                         "Debug: Matching NFG string found : \\\\srv\\NOVAX 1 Driver: NOVAX 1\n" +
                         c.lines);
    EXPECT_EQ(run.qCount, c.qCount);
    EXPECT_EQ(run.pCount, 0);
    EXPECT_EQ(memory.connections().size(), c.clean ? 2u : 3u);
  }
}

// kvdisconnect runs the remote queue phase over the signed-in user's own connections only: the
// same lines between its start and end lines in the user's profile, and its exit code.
TEST_F(QueuePhasesTest, KvdisconnectRemovesOnlyTheUsersOwnMakersConnections) {
  struct Case {
    std::vector<std::wstring> args;
    int exit;
    std::string lines;  // after the start line, before the end line
    std::size_t left;   // of the user's three connections
  };
  const std::string walk =
      "Debug: -----Remote queues-----\n"
      "Debug: vector size after query 3\n"
      "Debug: Matching NFG string found : \\\\srv\\Haldenjet 2 Driver: HaldenJet 2\n"
      "Debug: No NFG driver string found,removing from list: \\\\srv\\Other Driver: Other\n"
      "Debug: Matching NFG string found : \\\\srv\\NOVAX 1 Driver: NOVAX 1\n";
  const Case cases[] = {
      {{L"-C"},
       1,
       walk + "Info: Disconnecting \\\\srv\\NOVAX 1...\n"
              "Info: Successfully deleted remote connection \\\\srv\\NOVAX 1.\n"
              "Info: Disconnecting \\\\srv\\Haldenjet 2...\n"
              "Error: Failed to delete \\\\srv\\Haldenjet 2.(5)\n",
       2},
      {{L"-T", L"-Mnone"},
       0,
       "Debug: -----Remote queues-----\n"
       "Debug: vector size after query 3\n"
       "Debug: No match found,removing from list: \\\\srv\\Haldenjet 2 Driver: HaldenJet 2\n"
       "Debug: No match found,removing from list: \\\\srv\\Other Driver: Other\n"
       "Debug: No match found,removing from list: \\\\srv\\NOVAX 1 Driver: NOVAX 1\n",
       3},
      {{L"-T", L"-L", L"info"},
       0,
       "Info: Disconnecting \\\\srv\\NOVAX 1...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\NOVAX 1\n"
       "Info: Disconnecting \\\\srv\\Haldenjet 2...\n"
       "Info: SIMULATION:Successfully deleted remote connection \\\\srv\\Haldenjet 2\n",
       3},
      {{L"-C", L"-F", L"missing.ini"},
       4,
       "Error: Failed to load the configuration file missing.ini\n",
       3},
      {{L"-C", L"-Mx"},
       16,
       "Debug: -----Remote queues-----\nError: Failed to enumerate network queue connections.\n",
       3},
  };
  system.environment[L"LOCALAPPDATA"] = dir.wide();
  const std::filesystem::path logFile =
      dir.path() / "NOVAX" / "MXQLOG" / "PC01_12062026_140500.KVTOOL_DISCONNECT.log";
  for (const Case& c : cases) {
    memory = MemoryPrintSystem();
    memory.addConnection({L"\\\\srv\\NOVAX 1", L"NOVAX 1"});
    memory.addConnection({L"\\\\srv\\Other", L"Other"});
    memory.addConnection({L"\\\\srv\\Haldenjet 2", L"HaldenJet 2"});
    memory.addConnection({L"\\\\srv\\NOVAX 1", L"NOVAX 1"}, L"another user");
    memory.failNext(SpoolerOperation::DeletePrinterConnection, kErrorAccessDenied, 1);
    if (c.exit == 16) memory.failNext(SpoolerOperation::EnumPrinters, kErrorAccessDenied, 1);
    std::filesystem::remove(logFile);
    std::vector<std::wstring> args{L"kvdisconnect.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(disconnectMain(args), c.exit);
    std::string text = test::readBytes(logFile);
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) {
      text.erase(at, 1);
    }
    EXPECT_EQ(text, "Info: KVTool disconnect started: 12/06/2026 14:05:00\n" + c.lines +
                        "Info: KVTool disconnect finished: 12/06/2026 14:05:00 (" +
                        std::to_string(c.exit) + ")\n");
    EXPECT_EQ(memory.connections().size(), c.left);
    EXPECT_EQ(memory.connectionsOf(L"another user").size(), 1u);
  }
}

// Per-machine connections: the server names the driver; a silent one keeps its connection.
TEST_F(QueuePhasesTest, PerMachineConnectionsFollowTheirServersDriver) {
  struct Case {
    bool clean;
    std::optional<std::wstring> models;
    std::uint32_t deletionError;  // 0: the deletion succeeds
    std::string lines;            // after the filter lines
    std::int32_t qCount;
    std::size_t left;
    std::uint32_t listingError = 0;
  };
  const std::string read =
      "Debug: per-machine connections after query 3\n"
      "Warn: No answer from the print server of \\\\silent\\NOVAX 3.(1722): the per-machine "
      "connection stays.\n";
  const std::string brandWalk =
      read +
      "Debug: Per-machine connection, NFG string found : \\\\b\\q2 Driver: NOVAX 2\n"
      "Debug: Per-machine connection, no NFG driver string found, stays: \\\\a\\q1 Driver: "
      "Other\n";
  const Case cases[] = {
      {true, std::nullopt, 0,
       brandWalk + "Info: Disconnecting per-machine connection \\\\b\\q2...\n"
                   "Info: Successfully deleted per-machine connection \\\\b\\q2.\n",
       0, 2},
      {false, std::nullopt, 0,
       brandWalk + "Info: Disconnecting per-machine connection \\\\b\\q2...\n"
                   "Info: SIMULATION:Successfully deleted per-machine connection \\\\b\\q2\n",
       0, 3},
      {true, std::nullopt, kErrorAccessDenied,
       brandWalk + "Info: Disconnecting per-machine connection \\\\b\\q2...\n"
                   "Error: Failed to delete per-machine connection \\\\b\\q2.(5)\n",
       1, 3},
      {true, L"Other", 0,
       read + "Debug: Per-machine connection, no match found, stays: \\\\b\\q2 Driver: NOVAX 2\n"
              "Debug: Per-machine connection, match found : \\\\a\\q1 Driver: Other\n"
              "Info: Disconnecting per-machine connection \\\\a\\q1...\n"
              "Info: Successfully deleted per-machine connection \\\\a\\q1.\n",
       0, 2},
      // Not listed: the maker's may be there, so Q counts it, unless the call is missing.
      {true, std::nullopt, 0, "Error: Failed to enumerate per-machine printer connections.(5)\n", 1,
       3, kErrorAccessDenied},
      {true, std::nullopt, 0, "Debug: This spooler has no per-machine connections.(127)\n", 0, 3,
       127},
  };
  for (const Case& c : cases) {
    memory = MemoryPrintSystem();
    memory.addServerQueue({L"\\\\a\\q1", L"Other"});
    memory.addServerQueue({L"\\\\b\\q2", L"NOVAX 2"});
    for (const wchar_t* name : {L"\\\\a\\q1", L"\\\\silent\\NOVAX 3", L"\\\\b\\q2"}) {
      memory.addMachineConnection(name);
    }
    if (c.listingError != 0) {
      memory.failAlways(SpoolerOperation::EnumPerMachineConnections, c.listingError);
    }
    if (c.deletionError != 0) {
      memory.failNext(SpoolerOperation::DeletePerMachineConnection, c.deletionError);
    }
    run = CleanerRun();
    run.options.clean = c.clean;
    if (c.models) run.modelSet = {*c.models};
    detailLog().open(dir.child(L"detail.log"));
    removeMachineConnections(run);
    EXPECT_EQ(log(), "Debug: -----Per-machine connections-----\n" + c.lines);
    EXPECT_EQ(run.qCount, c.qCount);
    EXPECT_EQ(memory.machineConnections().size(), c.left);
  }
}

// One maker queue "Q" and what the idle check and the deletion make of it.
TEST_F(QueuePhasesTest, OnlyIdleQueuesAreDeleted) {
  const std::string verifying =
      "Debug: Verifying pre-existing queue current status and condition before taking action "
      "against the queue.\n";
  struct Case {
    const char* name;
    std::uint32_t status;
    std::uint32_t jobs;
    SpoolerOperation failing;  // fails with 5; EnumPorts stands for none
    std::string lines;         // after the "Verifying" line
    bool deleted;
  };
  const auto busyLines = [](const char* status) {
    return std::string("Debug: [BUSY] bMciGetPrinterStatus (Status=") + status +
           ")\nError: Failed to delete local queue Q.(IRC=42)\n";
  };
  const std::string busy2 = busyLines("2"), busy4 = busyLines("4"), busy256 = busyLines("256"),
                    busy512 = busyLines("512");
  const Case cases[] = {
      {"idle", 0, 0, SpoolerOperation::EnumPorts, "Info: Successfully deleted local queue Q.\n",
       true},
      {"paused", 0x1, 0, SpoolerOperation::EnumPorts,
       "Debug: [BUSY] bMciGetPrinterStatus (Status=1)\n"
       "Error: Failed to delete local queue Q.(IRC=42)\n",
       false},
      {"user intervention and jobs", 0x100000, 2, SpoolerOperation::EnumPorts,
       "Debug: [BUSY] bMciGetPrinterStatus (Status=1048576)\n"
       "Debug: [NOWPRINTING] bMciHasPrinterJobs\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"printing and paused", 0x401, 0, SpoolerOperation::EnumPorts,
       "Debug: [BUSY] bMciGetPrinterStatus (Status=1025)\n"
       "Debug: [NOWPRINTING] bMciGetPrinterStatus (Status=1025)\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"processing with jobs", 0x4000, 2, SpoolerOperation::EnumPorts,
       "Debug: [NOWPRINTING] bMciGetPrinterStatus (Status=16384)\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"jobs", 0, 3, SpoolerOperation::EnumPorts,
       "Debug: [NOWPRINTING] bMciHasPrinterJobs\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"one job", 0, 1, SpoolerOperation::EnumPorts,
       "Debug: [NOWPRINTING] bMciHasPrinterJobs\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"error", 0x2, 0, SpoolerOperation::EnumPorts, busy2, false},
      {"pending deletion", 0x4, 0, SpoolerOperation::EnumPorts, busy4, false},
      {"I/O active", 0x100, 0, SpoolerOperation::EnumPorts, busy256, false},
      {"busy", 0x200, 0, SpoolerOperation::EnumPorts, busy512, false},
      {"paper jam: in neither mask", 0x8, 0, SpoolerOperation::EnumPorts,
       "Info: Successfully deleted local queue Q.\n", true},
      {"cannot be opened", 0, 0, SpoolerOperation::OpenPrinter,
       "Debug: [BUSY] bMciGetPrinterStatus (Status=4294967295)\n"
       "Debug: [NOWPRINTING] bMciGetPrinterStatus (Status=4294967295)\n"
       "Error: Failed to delete local queue Q.(IRC=30)\n",
       false},
      {"deletion refused", 0, 0, SpoolerOperation::DeletePrinter,
       "Error: Error: Failed to delete local queue Q.(5)\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memory = MemoryPrintSystem();
    addQueue(L"Q", L"NOVAX D", L"P", c.status, c.jobs);
    if (c.failing != SpoolerOperation::EnumPorts) {
      memory.failAlways(c.failing, kErrorAccessDenied);
    }
    run = CleanerRun();
    run.options.clean = true;
    detailLog().open(dir.child(L"detail.log"));
    removeLocalQueuesNoted();
    EXPECT_EQ(log("Info: Deleting local queue"),
              "Info: Deleting local queue Q...\n" + verifying + c.lines);
    EXPECT_EQ(memory.queues().empty(), c.deleted);
    EXPECT_EQ(run.qCount, c.deleted ? 0 : 1);
    // A queue that stays keeps its driver and port for the phases after this one.
    EXPECT_EQ(run.queueDrivers, NameList{L"NOVAX D"});
    EXPECT_EQ(run.queuePorts, NameList{L"P"});
  }
}

}  // namespace
}  // namespace kv
