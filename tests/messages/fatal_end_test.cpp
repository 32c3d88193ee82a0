#include "messages/fatal_end.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "log/logger.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// Death tests may run the test body again in a new process, so the logs go to a directory
// whose name both processes agree on.
class FatalEndTest : public ::testing::Test {
 protected:
  FatalEndTest()
      : dir_(test::runFolder() /
             ("fatal_end_" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~FatalEndTest() override { std::filesystem::remove_all(dir_); }

  // What the run has done by the time it may end fatally.
  void startRun(bool popup, const std::string& messageFile) {
    operationLog().open((dir_ / "Operation.log").wstring());
    startOperationRecord(L"PC01");
    detailLog().open((dir_ / "detail.log").wstring());
    detailLog().setLevel(LogLevel::All);
    test::writeBytes(dir_ / "KV_TOOLS_LNG.IRC", messageFile);
    checkMessageFile((dir_ / "KV_TOOLS_LNG.IRC").wstring());
    setMessageBoxesEnabled(popup);
  }

  [[noreturn]] void endFatally(bool popup, const std::string& messageFile, std::int32_t code) {
    startRun(popup, messageFile);
    system.clock = LocalTime{2026, 12, 6, 14, 7, 9};
    fatalEnd(code, L"");
  }

  std::string detailText() { return test::readBytes(dir_ / "detail.log"); }
  std::string operationText() { return test::readBytes(dir_ / "Operation.log"); }

  test::FakeSystemServices system;

 private:
  std::filesystem::path dir_;
};

TEST_F(FatalEndTest, EndsWithTheCodeAfterTheErrorLineAndTheNgRecord) {
  for (const std::int32_t code : {4, 16, 17, 18}) {
    EXPECT_EXIT(endFatally(false, "[English]\nIDS_KVTOOL_ERR_READSCENARIO=x\n", code),
                ::testing::ExitedWithCode(code), "");
    EXPECT_EQ(detailText(), "Error: Error constant = " + std::to_string(code) + "\r\n");
    EXPECT_EQ(operationText(),
              "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 "
              "14:07:09, " +
                  std::to_string(code) + ", NG\r\n");
  }
}

TEST_F(FatalEndTest, WithPopupAMissingTextIsLoggedBeforeTheDetailLogCloses) {
  EXPECT_EXIT(endFatally(true, "[English]\nAFX_IDS_APP_TITLE=T\n", 16),
              ::testing::ExitedWithCode(16), "");
  const std::string detail = detailText();
  EXPECT_TRUE(
      detail.starts_with("Error: Error constant = 16\r\n"
                         "Debug: There is not a message text.\r\nIRC File="))
      << detail;
  EXPECT_TRUE(detail.ends_with(",\r\nSection name=English,\r\nError constant=16\r\n")) << detail;
  EXPECT_TRUE(operationText().ends_with(", 16, NG\r\n"));
}

TEST_F(FatalEndTest, BoxThatCannotBeShownDoesNotStopTheEnd) {
  system.messageBoxResult = -1;
  EXPECT_EXIT(endFatally(true, "[English]\nIDS_KVTOOL_ERR_ENUMPORTS=Ports\n", 18),
              ::testing::ExitedWithCode(18), "");
  EXPECT_EQ(detailText(), "Error: Error constant = 18\r\n");
}

}  // namespace
}  // namespace kv
