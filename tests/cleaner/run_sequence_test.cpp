#include "cleaner/run_sequence.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cleaner/cleaner_main.h"
#include "config/pending_removals_note.h"
#include "log/logger.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"
#include "spooler/print_spooler.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

const char kMessageFile[] =
    "[English]\nAFX_IDS_APP_TITLE=Cleaner\nIDS_KVTOOL_ERR_DELETE_DRVPKG=Drivers remain.\n";

TEST(RunSequence, FailedDriverDeletionIsShownOnlyWithPopupAndEndsWithExitCode1) {
  test::FakeSystemServices system;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed(memory);
  MemoryInstaller installer;
  ScopedInstallerService installedInstaller(installer);
  test::TempDir dir;
  test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC", kMessageFile);
  checkMessageFile(dir.child(L"KV_TOOLS_LNG.IRC"));
  struct Case {
    std::int32_t failures;
    bool popup;
    int exitCode;
    size_t boxes;
  };
  const Case cases[] = {
      {0, false, 0, 0},
      {0, true, 0, 0},
      {2, false, 1, 0},
      {2, true, 1, 1},
  };
  for (const Case& c : cases) {
    system.shownBoxes.clear();
    setMessageBoxesEnabled(c.popup);
    CleanerRun run;
    run.failureCount = c.failures;
    EXPECT_EQ(runSequence(run), c.exitCode);
    ASSERT_EQ(system.shownBoxes.size(), c.boxes);
    if (c.boxes == 1) {
      EXPECT_EQ(system.shownBoxes[0].text, L"Drivers remain.");
      EXPECT_EQ(system.shownBoxes[0].caption, L"Cleaner");
    }
  }
  setMessageBoxesEnabled(false);
}

// Looks at the logs at the moment a message box comes up.
class BoxWatch : public test::FakeSystemServices {
 public:
  int messageBox(const std::wstring& text, const std::wstring& caption,
                 std::uint32_t style) override {
    operationLogAtBox = test::readBytes(operationLogPath);
    detailLogOpenAtBox = detailLog().isOpen();
    return FakeSystemServices::messageBox(text, caption, style);
  }
  std::filesystem::path operationLogPath;
  std::string operationLogAtBox;
  bool detailLogOpenAtBox = false;
};

// A real run with failures of every kind: two connections (Q), a busy queue (Q, and P for its
// port, only when the drivers fail too), a port whose monitor refuses (P) and, in the first case,
// both drivers.
TEST(RunSequence, FailuresReachTheSummaryTheRecordAndTheBoxInThatOrder) {
  struct Case {
    bool driversFail;
    const char* summary;
    const char* record;
    int exitCode;
    std::size_t boxes;
  };
  const Case cases[] = {
      {true, "Debug: KVTOOL cleaner execution completed. (2) [Q:3, P:2]\r\n",
       "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 2, NG\r\n", 1, 1},
      {false, "Debug: KVTOOL cleaner execution completed. (0) [Q:2, P:1]\r\n",
       "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 0, OK\r\n", 0, 0},
  };
  for (const Case& c : cases) {
    BoxWatch system;
    test::TempDir dir;
    MemoryPrintSystem memory;
    ScopedPrintSpooler installed(memory);
    MemoryInstaller installer;
    ScopedInstallerService installedInstaller(installer);
    memory.addConnection({L"\\\\srv\\C1", L"NOVAX c1"});
    memory.addConnection({L"\\\\srv\\C2", L"NOVAX c2"});
    memory.failAlways(SpoolerOperation::DeletePrinterConnection, kErrorAccessDenied);
    memory.addQueue({L"QB", L"NOVAX A", L"PA", c.driversFail ? 1u : 0u, 0});
    memory.addQueue({L"QD", L"NOVAX B", L"PB", 0, 0});
    memory.addPort({L"PA", L"Local Monitor", L"Local Port", 1});
    memory.addPort({L"PB", L"DeviceLinkMonitor", L"", 1});
    memory.addMonitor(L"DeviceLinkMonitor", kErrorInvalidParameter);
    memory.addDriver(L"NOVAX A");
    memory.addDriver(L"NOVAX B");
    if (c.driversFail) memory.failAlways(SpoolerOperation::DeletePrinterDriverEx, 5);
    // An earlier run's note is taken over once the local queues are listed, and this run's note
    // is there before the first queue goes.
    system.machineValues[kPendingRemovalsValueName] = "not a note";
    std::string noteAtDeletion;
    memory.afterNextCall(SpoolerOperation::DeletePrinter,
                         [&] { noteAtDeletion = system.machineValues[kPendingRemovalsValueName]; });

    test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC", kMessageFile);
    system.operationLogPath = dir.path() / "Operation.log";
    ASSERT_TRUE(operationLog().open(dir.child(L"Operation.log")));
    startOperationRecord(L"PC01");
    ASSERT_TRUE(detailLog().open(dir.child(L"detail.log")));
    detailLog().setLevel(LogLevel::All);
    checkMessageFile(dir.child(L"KV_TOOLS_LNG.IRC"));
    setMessageBoxesEnabled(true);
    CleanerRun run;
    run.options.clean = true;

    EXPECT_EQ(runSequence(run), c.exitCode);
    setMessageBoxesEnabled(false);
    detailLog().setLevel(LogLevel::Info);
    const std::string detail = test::readBytes(dir.path() / "detail.log");
    EXPECT_NE(detail.find(c.summary), std::string::npos) << detail;
    EXPECT_NE(detail.find("QB Driver: NOVAX A\r\nWarn: Failed to read pending removals"),
              std::string::npos);
    EXPECT_EQ(noteAtDeletion, encodePendingRemovals({{L"NOVAX A", L"PA"}, {L"NOVAX B", L"PB"}}));
    EXPECT_EQ(test::readBytes(dir.path() / "Operation.log"), c.record);
    ASSERT_EQ(system.shownBoxes.size(), c.boxes);
    if (c.boxes == 1) {
      EXPECT_EQ(system.shownBoxes[0].text, L"Drivers remain.");
      // The record is written and its log closed before the box; the detail log after it.
      EXPECT_EQ(system.operationLogAtBox, c.record);
      EXPECT_TRUE(system.detailLogOpenAtBox);
    }
    EXPECT_FALSE(detailLog().isOpen());
    EXPECT_FALSE(operationLog().isOpen());
  }
}

// Listing failures end the run with their code and an NG record, in a test run as well. Death
// tests may run the body again in a new process: the logs go to a directory both agree on.
TEST(RunSequence, ListingFailuresEndTheRunWithTheirCode) {
  struct Case {
    SpoolerOperation operation;
    int passing;  // calls of the operation that succeed before the failing one
    const char* lastLines;
    std::int32_t code;
  };
  const Case cases[] = {
      {SpoolerOperation::EnumPrinters, 1,
       "Error: Failed to enumerate network queue connections.\r\nError: Error constant = 16\r\n",
       16},
      {SpoolerOperation::EnumPrinters, 3,
       "Error: Failed to enumerate printers.\r\nError: Error constant = 17\r\n", 17},
      {SpoolerOperation::EnumPorts, 1,
       "Error: Failed to enumerate ports.\r\nError: Error constant = 18\r\n", 18},
  };
  const std::filesystem::path dir = test::runFolder() / "run_sequence_listing_failures";
  for (const Case& c : cases) {
    for (const wchar_t* mode : {L"-C", L"-T"}) {
      std::filesystem::remove_all(dir);
      std::filesystem::create_directories(dir);
      test::FakeSystemServices system;
      MemoryPrintSystem memory;
      ScopedPrintSpooler installed(memory);
      MemoryInstaller installer;
      ScopedInstallerService installedInstaller(installer);
      memory.addQueue({L"Q", L"NOVAX A", L"PA", 0, 0});
      memory.failNext(c.operation, kErrorAccessDenied, c.passing);
      const std::vector<std::wstring> args = {L"kvcleaner.exe", mode, L"-D", dir.wstring()};
      EXPECT_EXIT(cleanerMain(args), ::testing::ExitedWithCode(c.code), "");
      const std::string detail = test::readBytes(dir / "PC01_12062026_140500.KVTOOL_CLEANER.log");
      EXPECT_TRUE(detail.ends_with(c.lastLines)) << detail;
      EXPECT_EQ(test::readBytes(dir / "Operation.log"),
                "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, " +
                    std::to_string(c.code) + ", NG\r\n");
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv
