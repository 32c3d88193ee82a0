#include "messages/error_dialog.h"

#include <gtest/gtest.h>

#include "log/logger.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class ErrorDialogTest : public ::testing::Test {
 protected:
  ErrorDialogTest() {
    detailLog().open(dir.child(L"detail.log"));
    detailLog().setLevel(LogLevel::All);
    test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC",
                     "\xEF\xBB\xBF[English]\r\n"
                     "AFX_IDS_APP_TITLE=Cleaner\r\n"
                     "IDS_KVTOOL_ERR_ENUMPRN=\"Queues cannot be listed.\\nRetry.\"\r\n"
                     "IDS_KVTOOL_ERR_ENUMPORTS=Port %s failed %d %n\r\n"
                     "[German]\r\n"
                     "IDS_KVTOOL_ERR_ENUMPRN=Warteschlangen\r\n");
  }
  ~ErrorDialogTest() override {
    detailLog().close();
    detailLog().setLevel(LogLevel::Info);
    setMessageBoxesEnabled(false);
  }

  std::string detailText() {
    detailLog().close();
    return test::readBytes(dir.path() / "detail.log");
  }
  std::wstring messageFile() { return dir.child(L"KV_TOOLS_LNG.IRC"); }
  std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

  test::FakeSystemServices system;
  test::TempDir dir;
};

using Box = test::FakeSystemServices::ShownBox;

void expectBox(const Box& box, const std::wstring& text, const std::wstring& caption) {
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, caption);
  EXPECT_EQ(box.style, 0x1010u);
}

TEST_F(ErrorDialogTest, ExistingMessageFileIsRecordedSilently) {
  for (const bool popup : {false, true}) {
    setMessageBoxesEnabled(popup);
    EXPECT_TRUE(checkMessageFile(messageFile()));
    EXPECT_EQ(runMessageFilePath(), messageFile());
  }
  EXPECT_TRUE(system.shownBoxes.empty());
  EXPECT_EQ(detailText(), "");
}

TEST_F(ErrorDialogTest, MissingMessageFileIsWarnedAboutAndBoxedOnlyWithPopup) {
  const std::wstring missing = dir.child(L"none\\KV_TOOLS_LNG.IRC");
  const std::wstring notice =
      L"There is not a message text.\nIRC File=" + missing + L",\nSection name=English";
  const std::string line = "Warn: There is not a message text.\r\nIRC File=" + narrow(missing) +
                           ",\r\nSection name=English\r\n";

  EXPECT_FALSE(checkMessageFile(missing));
  EXPECT_EQ(runMessageFilePath(), missing);
  EXPECT_TRUE(system.shownBoxes.empty());

  setMessageBoxesEnabled(true);
  EXPECT_FALSE(checkMessageFile(missing));
  ASSERT_EQ(system.shownBoxes.size(), 1u);
  expectBox(system.shownBoxes[0], notice, L"Install Printer Driver");
  EXPECT_EQ(detailText(), line + line);
}

TEST_F(ErrorDialogTest, WithoutPopupNothingIsShownOrLogged) {
  checkMessageFile(messageFile());
  for (const std::int32_t code : {17, 44, 0}) showErrorForCode(code, L"");
  EXPECT_TRUE(system.shownBoxes.empty());
  EXPECT_EQ(detailText(), "");
}

TEST_F(ErrorDialogTest, TextOfTheCodeIsShownWithTheFilesCaption) {
  checkMessageFile(messageFile());
  setMessageBoxesEnabled(true);
  struct Case {
    std::uint32_t localeId;
    std::int32_t code;
    std::wstring insert;
    std::wstring text;
    std::wstring caption;
  };
  const Case cases[] = {
      {0x409, 17, L"", L"Queues cannot be listed.\nRetry.", L"Cleaner"},
      // An empty insert leaves "%s" as written; any other insert fills it, and nothing else.
      {0x409, 18, L"", L"Port %s failed %d %n", L"Cleaner"},
      {0x409, 18, L"LPT9:", L"Port LPT9: failed %d %n", L"Cleaner"},
      {0x407, 17, L"", L"Warteschlangen", L"Install Printer Driver"},
  };
  for (const Case& c : cases) {
    system.localeId = c.localeId;
    system.shownBoxes.clear();
    showErrorForCode(c.code, c.insert);
    ASSERT_EQ(system.shownBoxes.size(), 1u) << c.code;
    expectBox(system.shownBoxes[0], c.text, c.caption);
  }
  EXPECT_EQ(detailText(), "");
}

TEST_F(ErrorDialogTest, CodeWithoutTextBecomesADebugLineAndNoBox) {
  setMessageBoxesEnabled(true);
  checkMessageFile(messageFile());
  const std::string file = narrow(messageFile());
  system.localeId = 0x407;
  showErrorForCode(44, L"");
  system.localeId = 0x409;
  showErrorForCode(16, L"x");
  showErrorForCode(0, L"");
  showErrorForCode(-3, L"");
  EXPECT_TRUE(system.shownBoxes.empty());
  const std::string head = "Debug: There is not a message text.\r\nIRC File=" + file;
  EXPECT_EQ(detailText(), head + ",\r\nSection name=German,\r\nError constant=44\r\n" + head +
                              ",\r\nSection name=English,\r\nError constant=16\r\n" + head +
                              ",\r\nSection name=English,\r\nError constant=0\r\n" + head +
                              ",\r\nSection name=English,\r\nError constant=-3\r\n");
}

TEST_F(ErrorDialogTest, MissingMessageFileGivesTheNoticeLineWhenADialogIsDue) {
  setMessageBoxesEnabled(true);
  const std::wstring missing = dir.child(L"gone.IRC");
  checkMessageFile(missing);
  system.shownBoxes.clear();
  detailLog().open(dir.child(L"detail.log"));
  showErrorForCode(17, L"");
  EXPECT_TRUE(system.shownBoxes.empty());
  EXPECT_EQ(detailText(), "Debug: There is not a message text.\r\nIRC File=" + narrow(missing) +
                              ",\r\nSection name=English,\r\nError constant=17\r\n");
}

}  // namespace
}  // namespace kv
