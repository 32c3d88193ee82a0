#include "cleaner/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "log/logger.h"
#include "messages/error_dialog.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using List = std::vector<std::wstring>;

// A death test may run the test body again in a new process, so the directory has a name both
// processes agree on.
class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest()
      : dir_(test::runFolder() /
             ("startup_" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    test::writeBytes(dir_ / "KV_TOOLS_LNG.IRC", "[English]\nAFX_IDS_APP_TITLE=Cleaner\n");
    run.options.test = true;
    run.options.logDirectory = dir_.wstring();
  }
  ~StartUpTest() override {
    for (Logger* log : {&detailLog(), &operationLog()}) {
      log->close();
      log->setEcho(false);
      log->setLevel(LogLevel::Info);
    }
    setMessageBoxesEnabled(false);
    std::filesystem::remove_all(dir_);
  }

  std::wstring program() const { return (dir_ / "kvcleaner.exe").wstring(); }
  std::wstring writeConfig(const std::string& name, const std::string& bytes) {
    test::writeBytes(dir_ / name, bytes);
    return (dir_ / name).wstring();
  }
  std::string detailText() {
    detailLog().close();
    return test::readBytes(dir_ / "PC01_12062026_140500.KVTOOL_CLEANER.log");
  }
  std::string operationText() { return test::readBytes(dir_ / "Operation.log"); }
  // The line after the build stamp, for `commandLine` as the log shows it.
  static std::string versionLine(const std::string& commandLine) {
    const std::wstring version = kProgramVersion;
    return "Debug: kvcleaner " + std::string(version.begin(), version.end()) +
           ", command line: " + commandLine +
           ", account: PC01\\admin (S-1-5-21-7-500), opt-ins: none\r\n";
  }
  const std::filesystem::path& dir() const { return dir_; }

  test::FakeSystemServices system;
  CleanerRun run;

 private:
  std::filesystem::path dir_;
};

TEST_F(StartUpTest, ModelsComeFromTheFileAndThenFromTheCommandLine) {
  struct Case {
    std::optional<std::string> file;
    std::optional<std::wstring> models;
    List modelList;
    ModelSet modelSet;
    std::wstring optIns = L"none";
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, {}, {}},
      {"[Clean]\nModels=\"A,B|C\"\n", std::nullopt, {L"A,B", L"C"}, {L"A,B", L"C"}},
      {"[clean]\nmodels=B|A|B\n", std::nullopt, {L"B", L"A", L"B"}, {L"A", L"B"}},
      {"[Other]\nModels=X\n", std::nullopt, {}, {}},
      {std::nullopt, L"X | Y|X", {L"X", L"Y", L"X"}, {L"X", L"Y"}},
      {std::nullopt, L"|", {L""}, {L""}},
      // -M stands over the file, and is split but not unquoted.
      {"[Clean]\nModels=A|B\n", L"\"Q,R\"|@S", {L"\"Q,R\"", L"@S"}, {L"\"Q,R\"", L"@S"}},
      {"[Clean]\nModels=A|B\n", L"", {}, {}},
      {"[Clean]\nDriverPackages=remove\nUnusedDrivers=REMOVE\n",
       std::nullopt,
       {},
       {},
       L"UnusedDrivers=Remove DriverPackages=Remove"},
      // -M replaces the file's models only; a value the cleaner does not know is an Error line.
      {"[Clean]\nDriverPackages=Remove\nUnusedDrivers=Yes\n",
       L"B",
       {L"B"},
       {L"B"},
       L"DriverPackages=Remove"},
  };
  for (const Case& c : cases) {
    CleanerRun fresh;
    fresh.options = run.options;
    if (c.file) fresh.options.configFile = writeConfig("cfg.ini", *c.file);
    fresh.options.models = c.models;
    startUp(fresh, {program()});
    EXPECT_EQ(fresh.config.modelList, c.modelList);
    EXPECT_EQ(fresh.modelSet, c.modelSet);
    EXPECT_EQ(optInsShown(fresh.optIns), c.optIns);
  }
  EXPECT_NE(detailText().find("\r\nError: [Clean] UnusedDrivers=Yes is not a value the "
                              "cleaner knows (only Remove): nothing of that kind is removed\r\n"),
            std::string::npos);
}

TEST_F(StartUpTest, MessageFileBesideTheProgramIsCheckedAfterTheStartLine) {
  startUp(run, {program()});
  EXPECT_EQ(runMessageFilePath(), (dir() / "KV_TOOLS_LNG.IRC").wstring());
  EXPECT_EQ(detailText().find("Warn:"), std::string::npos);

  std::filesystem::remove(dir() / "KV_TOOLS_LNG.IRC");
  // A start in another second, with a detail log of its own.
  std::filesystem::remove(dir() / "PC01_12062026_140500.KVTOOL_CLEANER.log");
  run.options.popup = true;
  // The options are set above; the arguments show how the log quotes blanks and empty ones.
  startUp(run, {program(), L"-P", L"a b", L""});
  const std::wstring path = (dir() / "KV_TOOLS_LNG.IRC").wstring();
  EXPECT_EQ(runMessageFilePath(), path);
  const std::wstring notice =
      L"There is not a message text.\nIRC File=" + path + L",\nSection name=English";
  ASSERT_EQ(system.shownBoxes.size(), 1u);
  EXPECT_EQ(system.shownBoxes[0].text, notice);
  EXPECT_EQ(system.shownBoxes[0].caption, L"Install Printer Driver");
  const std::string narrowPath(path.begin(), path.end());
  const std::string programText = (dir() / "kvcleaner.exe").string();
  const std::string missing = "Warn: There is not a message text.\r\nIRC File=" + narrowPath +
                              ",\r\nSection name=English\r\nDebug: ";
  const std::string detail = detailText();
  EXPECT_TRUE(
      detail.starts_with("Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n" + missing));
  // After the build stamp.
  EXPECT_NE(detail.find("\r\n" + versionLine(programText + " -P \"a b\" \"\"")), std::string::npos);

  // Where no one sees a box, -P is ignored: the same notice, no box, why after the last start line.
  system.environment[L"ALLUSERSPROFILE"] = dir().wstring();
  const std::string settings = dir().string() + "\\NOVAX\\KVXCLEAN.ini";
  for (const bool localSystem : {true, false}) {
    std::filesystem::remove(dir() / "PC01_12062026_140500.KVTOOL_CLEANER.log");
    system.localSystem = localSystem;
    system.interactiveWindowStation = localSystem;
    CleanerRun fresh;  // with no settings file lock held from the run before
    fresh.options = run.options;
    startUp(fresh, {program()});
    EXPECT_EQ(system.shownBoxes.size(), 1u);
    const std::string ignored = detailText();
    EXPECT_TRUE(
        ignored.starts_with("Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n" + missing));
    EXPECT_TRUE(ignored.ends_with(
        "Debug: Create File : " + settings + "\r\n" + versionLine(programText) +
        (localSystem ? "Warn: -P ignored: running as LocalSystem, no one sees a message box\r\n"
                     : "Warn: -P ignored: no interactive window station, no one sees a message "
                       "box\r\n")))
        << ignored;
  }
}

[[noreturn]] void startAndExit(CleanerRun& run, const std::vector<std::wstring>& args) {
  startUp(run, args);
  std::exit(99);  // start-up was expected to end the process itself
}

TEST_F(StartUpTest, ConfigurationFileThatCannotBeLoadedEndsWithCode4) {
  run.options.configFile = (dir() / "missing.ini").wstring();
  run.options.models = L"A|B";
  run.options.popup = true;
  system.localSystem = true;
  EXPECT_EXIT(startAndExit(run, {program(), L"-F", L"missing file.ini", L""}),
              ::testing::ExitedWithCode(4), "");
  EXPECT_EQ(detailText(),
            "Info: KVTool cleaner started: 12/06/2026 14:05:00\r\n"
            "Warn: -P ignored: running as LocalSystem, no one sees a message box\r\n"
            "Error: Error constant = 4\r\n");
  EXPECT_EQ(operationText(),
            "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, 4, NG\r\n");
}

}  // namespace
}  // namespace kv
