#include "config/silent_mode_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "log/logger.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

#ifdef _WIN32
#define NL "\r\n"
#else
#define NL "\n"
#endif

std::string withoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST(SilentModeFile, SetsTheOneKeyAndKeepsTheRest) {
  struct Case {
    const char* name;
    const char* before;  // null: no file
    bool messageBoxesOn;
    const char* after;
    const char* loadError;  // the text of the failed load, or null
  };
  const Case cases[] = {
      {"new file", nullptr, false, "\xEF\xBB\xBF[SilentMode]" NL "SilentMode = On" NL,
       "File error"},
      {"message boxes on", nullptr, true, "\xEF\xBB\xBF[SilentMode]" NL "SilentMode = Off" NL,
       "File error"},
      {"other content kept, key in other letter case replaced",
       "[Other]\nA=1\n[SILENTMODE]\nsilentmode=Off\nB=2\n", false,
       "\xEF\xBB\xBF[Other]" NL "A = 1" NL NL NL "[SILENTMODE]" NL "silentmode = On" NL "B = 2" NL,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const std::wstring path = dir.child(L"KVXCLEAN.ini");
    if (c.before) test::writeBytes(dir.path() / "KVXCLEAN.ini", c.before);
    ASSERT_TRUE(detailLog().open(dir.child(L"detail.log")));
    detailLog().setLevel(LogLevel::All);

    EXPECT_TRUE(writeSilentModeINIFile(path, c.messageBoxesOn));
    detailLog().close();
    EXPECT_EQ(test::readBytes(dir.path() / "KVXCLEAN.ini"), c.after);
    const std::string narrowPath(path.begin(), path.end());
    std::string lines = "Debug: Function : writeSilentModeINIFile\n";
    if (c.loadError) {
      lines += "Error: Failed to load INI file " + narrowPath + " (" + c.loadError + ")\n";
    }
    lines += std::string("Info: Set value [SilentMode]SilentMode=") +
             (c.messageBoxesOn ? "Off" : "On") + "\n";
    EXPECT_EQ(withoutCarriageReturns(test::readBytes(dir.path() / "detail.log")), lines);
  }
  detailLog().setLevel(LogLevel::Info);
}

TEST(SilentModeFile, MissingFolderFailsWithBothErrors) {
  test::TempDir dir;
  const std::wstring path = dir.child(L"NOVAX") + L"\\KVXCLEAN.ini";
  ASSERT_TRUE(detailLog().open(dir.child(L"detail.log")));
  EXPECT_FALSE(writeSilentModeINIFile(path, false));
  detailLog().close();
  const std::string narrowPath(path.begin(), path.end());
  EXPECT_EQ(withoutCarriageReturns(test::readBytes(dir.path() / "detail.log")),
            "Error: Failed to load INI file " + narrowPath + " (File error)\n" +
                "Info: Set value [SilentMode]SilentMode=On\n" + "Error: Failed to save INI file " +
                narrowPath + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "NOVAX"));
}

}  // namespace
}  // namespace kv
