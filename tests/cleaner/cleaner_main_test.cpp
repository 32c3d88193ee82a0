#include "cleaner/cleaner_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>

#include "cleaner/startup.h"
#include "disconnect/disconnect_main.h"
#include "log/logger.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "whole_run_test.h"

// The line end of SimpleIni's files on this platform.
#ifdef _WIN32
#define NL "\r\n"
#else
#define NL "\n"
#endif

namespace kv {
namespace {

const char kDetailName[] = "PC01_12062026_140500.KVTOOL_CLEANER.log";
const char kRecord[] =
    "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 0, OK\r\n";

class CleanerMainTest : public test::WholeRunTest {
 protected:
  int run(std::vector<std::wstring> args) {
    args.insert(args.begin(), dir.child(L"kvcleaner.exe"));
    return cleanerMain(args);
  }
  std::string detailText() { return test::readBytes(dir.path() / kDetailName); }
  std::string operationText() { return test::readBytes(dir.path() / "Operation.log"); }
};

std::string stampLine() {
  const std::wstring stamp = buildStamp();
  return "Debug: " + std::string(stamp.begin(), stamp.end()) + "\r\n";
}

TEST_F(CleanerMainTest, SimulationRunWritesEveryBannerInOrderAndEndsOk) {
  EXPECT_EQ(run({L"-T", L"-D", dir.wide()}), 0);
  const std::wstring version = kProgramVersion;
  const std::wstring wideDir = dir.wide();
  const std::wstring program = dir.child(L"kvcleaner.exe");
  const std::string dirText(wideDir.begin(), wideDir.end());
  EXPECT_EQ(detailText(),
            "Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n" + stampLine() +
                "Debug: kvcleaner " + std::string(version.begin(), version.end()) +
                ", command line: " + std::string(program.begin(), program.end()) + " -T -D " +
                dirText + ", account: PC01\\admin (S-1-5-21-7-500), opt-ins: none\r\n" +
                "Debug: --- Uninstall Tarn Packages ---\r\n"
                "Info: Get enumerate product codes : num = 0\r\n"
                "Debug: -----Remote queues-----\r\n"
                "Debug: vector size after query 0\r\n"
                "Debug: -----Per-machine connections-----\r\n"
                "Debug: per-machine connections after query 0\r\n"
                "Debug: --- Local Queue + Driver + Port dumps ---\r\n"
                "Info: KVTool cleaner Deleting local queue started: 12/06/2026 14:05:00\r\n"
                "Info: KVTool cleaner Deleting driver started: 12/06/2026 14:05:00\r\n"
                "Info: KVTool cleaner Uninstall product Again: 12/06/2026 14:05:00\r\n"
                "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:0]\r\n"
                "Debug: Cleanup....\r\n"
                "Info: KVTool cleaner finished: 12/06/2026 14:05:00\r\n");
  EXPECT_EQ(operationText(), kRecord);
  EXPECT_FALSE(detailLog().isOpen());
  EXPECT_FALSE(operationLog().isOpen());
}

// The order that converges on a PC of standard users: the SYSTEM run deletes the queue, but not
// the driver a user's connection holds; kvdisconnect in the user's session removes the
// connection; a later SYSTEM run takes the driver up from the note of pending removals and
// deletes it.
TEST_F(CleanerMainTest, SystemRunUsersDisconnectAndASecondSystemRunConverge) {
  system.environment[L"LOCALAPPDATA"] = dir.wide();
  memory.addQueue({L"NOVAX Q", L"NOVAX 1", L"P1"});
  memory.addPort({L"P1", L"Local Monitor", L"Local Port", 1});
  memory.addDriver(L"NOVAX 1");
  memory.addConnection({L"\\\\srv\\NOVAX", L"NOVAX 1"});
  const auto asSystem = [&](bool yes) {
    system.localSystem = yes;
    memory.setCallingUser(yes ? MemoryPrintSystem::kLocalSystem : MemoryPrintSystem::kSignedInUser);
  };
  asSystem(true);
  EXPECT_EQ(run({L"-C", L"-D", dir.wide()}), 1);
  resetLogs();
  EXPECT_TRUE(memory.queues().empty());
  EXPECT_EQ(memory.drivers().size(), 1u);
  asSystem(false);
  EXPECT_EQ(disconnectMain({L"kvdisconnect.exe", L"-C"}), 0);
  EXPECT_TRUE(memory.connections().empty());
  asSystem(true);
  EXPECT_EQ(run({L"-C", L"-D", dir.wide()}), 0);
  EXPECT_TRUE(memory.drivers().empty());
}

// A run that failed and a rehearsal started in the same second: the detail log holds both runs'
// lines in order, the operation log the record of the last one only.
TEST_F(CleanerMainTest, RunsStartedInTheSameSecondShareTheDetailLog) {
  memory.addQueue({L"Novax Q", L"NOVAX Jet 5", L"LPT1:"});
  memory.failAlways(SpoolerOperation::DeletePrinterDriverEx, 5);
  EXPECT_EQ(run({L"-C", L"-D", dir.wide()}), 1);
  const std::string first = detailText();
  EXPECT_EQ(operationText(),
            "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 1, NG\r\n");
  EXPECT_EQ(run({L"-T", L"-D", dir.wide()}), 0);
  EXPECT_EQ(operationText(), kRecord);
  const std::string both = detailText();
  // The second run alone, on the machine as the first one left it.
  std::filesystem::remove(dir.path() / kDetailName);
  EXPECT_EQ(run({L"-T", L"-D", dir.wide()}), 0);
  EXPECT_NE(first, detailText());
  EXPECT_EQ(both, first + detailText());
}

TEST_F(CleanerMainTest, LevelOptionSetsTheDetailThreshold) {
  struct Case {
    std::wstring level;
    const char* firstLines;
  };
  const Case cases[] = {
      {L"info",
       "Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n"
       "Info: Get enumerate product codes : num = 0\r\n"
       "Info: KVTool cleaner Deleting local queue started: 12/06/2026 14:05:00\r\n"},
      {L"nonsense",
       "Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n"
       "Info: Get enumerate product codes : num = 0\r\n"
       "Info: KVTool cleaner Deleting local queue started: 12/06/2026 14:05:00\r\n"},
      {L"WARN", ""},
  };
  for (const Case& c : cases) {
    // Each case stands for a run in a second of its own, with a detail log of its own.
    std::filesystem::remove(dir.path() / kDetailName);
    EXPECT_EQ(run({L"-T", L"-D", dir.wide(), L"-L", c.level}), 0);
    EXPECT_EQ(detailText().substr(0, std::string(c.firstLines).size()), c.firstLines);
    if (std::string(c.firstLines).empty()) {
      EXPECT_EQ(detailText(), "");
    }
    EXPECT_EQ(operationText(), kRecord);
  }
}

TEST_F(CleanerMainTest, RejectedCommandLineLeavesNoLog) {
  struct Case {
    std::vector<std::wstring> args;
    std::string printed;
  };
  const Case cases[] = {
      {{}, ""},
      {{L"-V"}, ""},
      {{L"-x"}, "Illegal option (x)\n"},
      {{L"abc", L"-x", L"-T"}, "Illegal character (abc)\nIllegal option (x)\n"},
  };
  system.environment[L"ALLUSERSPROFILE"] = dir.wide();
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(run(c.args), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
}

TEST_F(CleanerMainTest, DefaultDirectoryIsMadeUnderTheAllUsersProfile) {
  system.environment[L"ALLUSERSPROFILE"] = dir.wide();
  EXPECT_EQ(run({L"-t"}), 0);
  const std::filesystem::path logs = dir.path() / "NOVAX" / "MXQLOG";
  EXPECT_EQ(test::readBytes(logs / "Operation.log"), kRecord);
  EXPECT_TRUE(test::readBytes(logs / kDetailName)
                  .starts_with("Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n"));
}

// Without -P the settings file is there for the first uninstall pass only: one the run made is
// deleted, one that was there gets its own bytes back; with -P the run neither writes nor removes
// it. Something there that cannot be read is left alone.
TEST_F(CleanerMainTest, SilentModeFileLivesOnlyWithoutPopup) {
  system.environment[L"ALLUSERSPROFILE"] = dir.wide();
  const std::filesystem::path file = dir.path() / "NOVAX" / "KVXCLEAN.ini";
  const std::wstring path = dir.wide() + L"\\NOVAX\\KVXCLEAN.ini";
  const std::string shown(path.begin(), path.end());
  const std::string earlier = "\xFF\xFE[\0O\0]\0\n\0;\0c\0\n\0";  // UTF-16, a comment
  // What the cleaner writes where no file was, as a run stopped in the first pass leaves it.
  const std::string own = "\xEF\xBB\xBF[SilentMode]" NL "SilentMode = On" NL;
  const std::string written =
      "Error: Failed to load INI file " + shown + " (File error)|Debug: Create File : " + shown;
  const std::string deleted = "|Debug: Delete File : " + shown;
  const std::string made = written + deleted;
  const std::string merged = "[A]\nb=1\n[SilentMode]\nSilentMode=On\n";
  const std::string lock = shown + ".lock";
  const std::string b2 = "[A]\nb=2\n";
  const std::string big(64 * 1024 + 1, 'x');
  const std::string restore = "Debug: Create File : " + shown + "|Debug: Restore File : " + shown;
  const std::string original = "HKLM\\SOFTWARE\\NOVAX\\kvcleaner\\KVXCLEAN.ini original";
  const std::string notOne = "Warn: Saved settings file is not one, dropped: " + original + "|";
  const std::string noRemoval = "Warn: Failed to remove " + original;
  const std::string changed =
      "Warn: Settings file changed since a run of ours wrote it, kept as it stands: " + shown;
  enum class Machine {
    Plain,
    LocalSystem,
    NoWindowStation,
    OtherRunHoldsIt,
    StrangerHoldsLock,
    LockLeftBehind,
    DashDWithoutNovax,
    SavedIsText,
    SavedTooLarge,
    SavedUndeletable
  };
  struct Case {
    std::vector<std::wstring> args;
    std::optional<std::string> before;  // "/": a folder in the file's place
    std::string lines;                  // the lines about the file, in order
    std::optional<std::string> after;
    Machine machine = Machine::Plain;
    std::optional<std::string> keptBefore =
        std::nullopt;  // the machine value with an original's bytes
    std::optional<std::string> writtenBefore = std::nullopt;  // what that run wrote
  };
  const Case cases[] = {
      {{L"-T"}, std::nullopt, made, std::nullopt},
      // A file that cannot be loaded (UTF-16) is written all the same, then given back.
      {{L"-T"},
       earlier,
       "Error: Failed to load INI file " + shown +
           " (Generic failure)|Debug: Create File : " + shown + "|Debug: Restore File : " + shown,
       earlier},
      {{L"-T"}, "/", "Error: Create File : " + shown, "/"},
      {{L"-T", L"-P"}, std::nullopt, "", std::nullopt},
      {{L"-T", L"-P"}, earlier, "", earlier},
      {{L"-T"}, own, "Debug: Create File : " + shown + "|Debug: Delete File : " + shown, {}},
      // A run stopped after merging into the administrator's file kept its bytes aside.
      {{L"-T"}, merged, restore, earlier, Machine::Plain, earlier, merged},
      // The administrator has rewritten or deleted it since: theirs stands.
      {{L"-T"}, b2, changed + "|" + restore, b2, Machine::Plain, earlier, merged},
      {{L"-T"}, std::nullopt, changed + "|" + made, std::nullopt, Machine::Plain, earlier, merged},
      // What is not a settings file is never written into one.
      {{L"-T"}, merged, notOne + restore, merged, Machine::SavedIsText, earlier, merged},
      {{L"-T"}, merged, notOne + restore, merged, Machine::SavedTooLarge, big, merged},
      {{L"-T"},
       b2,
       changed + "|" + noRemoval + "|" + restore + "|" + noRemoval,
       b2,
       Machine::SavedUndeletable,
       earlier,
       merged},
      {{L"-T"},
       own,
       "Warn: Settings file left to another run: " + shown,
       own,
       Machine::OtherRunHoldsIt},
      // Only a run of ours holds the lock off: anything else is named and passed over.
      {{L"-T"},
       own,
       "Warn: Settings lock held by something not ours, ignored: " + lock +
           "|Debug: Create File : " + shown + "|Debug: Delete File : " + shown,
       std::nullopt,
       Machine::StrangerHoldsLock},
      {{L"-T"},
       std::nullopt,
       "Warn: Settings lock left by something not ours, taken over: " + lock + "|" + made,
       std::nullopt,
       Machine::LockLeftBehind},
      {{L"-T", L"-P"},
       std::nullopt,
       written + "|Warn: -P ignored: running as LocalSystem, no one sees a message box" + deleted,
       std::nullopt,
       Machine::LocalSystem},
      {{L"-T", L"-P"},
       std::nullopt,
       written + "|Warn: -P ignored: no interactive window station, no one sees a message box" +
           deleted,
       std::nullopt,
       Machine::NoWindowStation},
      {{L"-T", L"-D", dir.wide()}, std::nullopt, made, std::nullopt, Machine::DashDWithoutNovax},
  };
  const auto content = [&]() -> std::optional<std::string> {
    if (std::filesystem::is_directory(file)) return "/";
    if (!std::filesystem::exists(file)) return std::nullopt;
    return test::readBytes(file);
  };
  for (const Case& c : cases) {
    system.localSystem = c.machine == Machine::LocalSystem;
    system.interactiveWindowStation = c.machine != Machine::NoWindowStation;
    system.locksHeldElsewhere.clear();
    system.locksHeldByStrangers.clear();
    if (c.machine == Machine::OtherRunHoldsIt) system.locksHeldElsewhere.insert(path + L".lock");
    if (c.machine == Machine::StrangerHoldsLock) {
      system.locksHeldByStrangers.insert(path + L".lock");
    }
    system.machineValues.clear();
    system.machineValueTypes.clear();
    if (c.keptBefore) system.machineValues[L"KVXCLEAN.ini original"] = *c.keptBefore;
    if (c.writtenBefore) system.machineValues[L"KVXCLEAN.ini written"] = *c.writtenBefore;
    if (c.machine == Machine::SavedIsText) {
      system.machineValueTypes[L"KVXCLEAN.ini original"] = MachineValueType::Texts;
    }
    system.undeletableValues.clear();
    if (c.machine == Machine::SavedUndeletable) {
      system.undeletableValues.insert(L"KVXCLEAN.ini original");
    }
    std::filesystem::remove_all(file.parent_path());
    if (c.machine != Machine::DashDWithoutNovax) {
      std::filesystem::create_directories(file.parent_path());
    }
    if (c.before == "/") std::filesystem::create_directory(file);
    if (c.before && c.before != "/") test::writeBytes(file, *c.before);
    if (c.machine == Machine::LockLeftBehind) test::writeBytes(file.string() + ".lock", "");
    EXPECT_EQ(run(c.args), 0);
    std::string lines;
    const std::filesystem::path logs =
        c.machine == Machine::DashDWithoutNovax ? dir.path() : dir.path() / "NOVAX" / "MXQLOG";
    std::istringstream detail(test::readBytes(logs / kDetailName));
    for (std::string line; std::getline(detail, line);) {
      if (line.find("File : ") == std::string::npos && line.find("INI file") == std::string::npos &&
          line.find("-P ignored") == std::string::npos &&
          line.find("another run") == std::string::npos &&
          line.find("ettings ") == std::string::npos &&
          line.find("Failed to remove") == std::string::npos) {
        continue;
      }
      if (!lines.empty()) lines += "|";
      lines += line.substr(0, line.size() - 1);  // without the carriage return
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(content(), c.after);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".lock"));
    system.undeletableValues.clear();
    if (c.machine == Machine::SavedUndeletable) {
      EXPECT_EQ(system.machineValues.size(), 1u);
      system.machineValues.clear();
    }
    EXPECT_TRUE(system.machineValues.empty());
    std::filesystem::remove(logs / kDetailName);
  }
}

TEST_F(CleanerMainTest, LogsThatCannotBeOpenedGoToTheConsole) {
  const std::wstring missing = dir.child(L"missing");
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({L"-T", L"-D", missing}), 0);
  const std::string printed = testing::internal::GetCapturedStdout();
  const std::wstring sep = L"\\";
  const std::wstring opPath = missing + sep + L"Operation.log";
  const std::wstring detailPath = missing + sep + L"PC01_12062026_140500.KVTOOL_CLEANER.log";
  const std::string expectedStart =
      "Warn: Failed to open operation log file " + std::string(opPath.begin(), opPath.end()) +
      "\nWarn: Failed to open log file " + std::string(detailPath.begin(), detailPath.end()) +
      "\nInfo: KVTool cleaner started: 12/06/2026 14:05:00\n";
  EXPECT_EQ(printed.substr(0, expectedStart.size()), expectedStart);
  const std::string expectedEnd =
      "Info: KVTool cleaner finished: 12/06/2026 14:05:00\n"
      "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 0, OK\n";
  ASSERT_GE(printed.size(), expectedEnd.size());
  EXPECT_EQ(printed.substr(printed.size() - expectedEnd.size()), expectedEnd);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST_F(CleanerMainTest, VerboseEchoesTheDetailLog) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({L"-Y", L"-T", L"-D", dir.wide()}), 0);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(printed.starts_with("Info: KVTool cleaner started: 12/06/2026 14:05:00\n"));
  EXPECT_EQ(printed.size() + 16, detailText().size());  // every line, LF instead of CRLF
}

// The system services with the second check for the silent-mode settings file raising, as
// running out of memory does: the run sequence asks between two phases, outside every wrapper.
class SettingsFileCheckRaises : public test::FakeSystemServices {
 public:
  bool pathExists(const std::wstring& path) override {
    if (path.ends_with(L"KVXCLEAN.ini") && ++checks_ == 2) throw std::bad_alloc();
    return FakeSystemServices::pathExists(path);
  }

 private:
  int checks_ = 0;
};

[[noreturn]] void runRaising(const std::filesystem::path& dir) {
  SettingsFileCheckRaises system;
  system.environment[L"ALLUSERSPROFILE"] = dir.wstring();
  MemoryPrintSystem memory;
  ScopedPrintSpooler installedSpooler(memory);
  MemoryInstaller installer;
  ScopedInstallerService installedInstaller(installer);
  std::exit(cleanerMain({(dir / "kvcleaner.exe").wstring(), L"-T", L"-D", dir.wstring()}));
}

// Nothing ends the program without its exit code and record: an exception that escapes the
// phases ends the run as a fatal end does, with code 15.
TEST(CleanerMain, ExceptionOutsideTheWrappersEndsWithCode15AndAnNgRecord) {
  // A death test may run the body again in a new process: a directory both agree on.
  const std::filesystem::path dir = test::runFolder() / "main_raises";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "NOVAX");
  test::writeBytes(dir / "KV_TOOLS_LNG.IRC", "[English]\nAFX_IDS_APP_TITLE=Cleaner\n");
  EXPECT_EXIT(runRaising(dir), ::testing::ExitedWithCode(15), "");
  const std::string detail = test::readBytes(dir / kDetailName);
  EXPECT_TRUE(
      detail.ends_with("Info: Get enumerate product codes : num = 0\r\n"
                       "Error: Unexpected failure: std::bad_alloc\r\n"
                       "Error: Error constant = 15\r\n"))
      << detail;
  EXPECT_EQ(test::readBytes(dir / "Operation.log"),
            "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 15, NG\r\n");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv
