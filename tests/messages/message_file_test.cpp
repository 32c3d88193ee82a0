#include "messages/message_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "messages/language_table.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class MessageFileTest : public ::testing::Test {
 protected:
  std::wstring writeFile(const std::string& bytes) {
    test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC", bytes);
    return dir.child(L"KV_TOOLS_LNG.IRC");
  }

  test::FakeSystemServices system;
  test::TempDir dir;
};

TEST_F(MessageFileTest, ValueLosesEnclosingQuotesAndGetsItsLineBreaks) {
  struct Case {
    std::string value;  // as written after "Key="
    std::wstring text;
  };
  const Case cases[] = {
      {"Plain text", L"Plain text"},
      {"", L""},
      {"\"", L""},
      {"\"\"", L""},
      {"\"Quoted\"", L"Quoted"},
      {"\"Start only", L"Start only"},
      {"End only\"", L"End only\""},
      {"\"\"Doubled\"\"", L"\"Doubled\""},
      {"One\\nTwo", L"One\nTwo"},
      {"One\\n\\nTwo", L"One\n\\nTwo"},
      {"A\\n \\nB", L"A\n \nB"},
      {"\"Line\\n\"", L"Line\n"},
      {"100%s done %d", L"100%s done %d"},
      {"UTF-8 \xE6\x97\xA5\xE6\x9C\xAC \xC3\xA9", L"UTF-8 \u65E5\u672C \u00E9"},
  };
  for (const Case& c : cases) {
    const std::wstring path = writeFile("[English]\r\nKey=" + c.value + "\r\n");
    std::wstring text = L"untouched";
    EXPECT_TRUE(MessageFile::readText(path, L"English", L"Key", text)) << c.value;
    EXPECT_EQ(text, c.text) << c.value;
  }
}

TEST_F(MessageFileTest, SectionAndKeyNamesMatchInAnyCase) {
  const std::wstring path = writeFile("\xEF\xBB\xBF[english]\nIDS_Some_Key=found\n");
  const std::pair<std::wstring, std::wstring> names[] = {
      {L"English", L"IDS_SOME_KEY"}, {L"ENGLISH", L"ids_some_key"}, {L"english", L"IDS_Some_Key"}};
  for (const auto& [section, key] : names) {
    std::wstring text;
    EXPECT_TRUE(MessageFile::readText(path, section, key, text)) << section << L"/" << key;
    EXPECT_EQ(text, L"found");
  }
}

TEST_F(MessageFileTest, MissingTextsReadAsFalseAndLeaveTheValueAlone) {
  const std::wstring path = writeFile("[English]\nKey=x\nNone=_NOPT\nLower=_nopt\n[German]\n");
  std::filesystem::create_directory(dir.path() / "folder");
  struct Case {
    std::wstring path, section, key;
    bool found;
  };
  const Case cases[] = {
      {path, L"English", L"Key", true},
      {path, L"English", L"None", false},
      {path, L"English", L"Lower", true},  // only the exact "_NOPT" means missing
      {path, L"English", L"Other", false},
      {path, L"German", L"Key", false},
      {path, L"French", L"Key", false},
      {L"", L"English", L"Key", false},
      {path, L"", L"Key", false},
      {path, L"English", L"", false},
      {dir.child(L"missing.IRC"), L"English", L"Key", false},
      {dir.child(L"folder"), L"English", L"Key", false},
  };
  for (const Case& c : cases) {
    std::wstring text = L"untouched";
    EXPECT_EQ(MessageFile::readText(c.path, c.section, c.key, text), c.found)
        << c.section << L"/" << c.key;
    if (!c.found) {
      EXPECT_EQ(text, L"untouched");
    }
  }
}

TEST_F(MessageFileTest, EmptyBinaryOrHugeFilesGiveNoText) {
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>((i * 131) % 251 + 1));
  const std::string contents[] = {
      "",
      "\xEF\xBB\xBF",
      binary,
      "[English]\nKey=\xFF\xFE\x80\n" + binary,
      "[English]\nKey=x\n" + std::string(16 * 1024 * 1024, '\n'),
  };
  for (const std::string& content : contents) {
    std::wstring text = L"untouched";
    EXPECT_FALSE(MessageFile::readText(writeFile(content), L"English", L"Other", text));
    EXPECT_EQ(text, L"untouched");
  }
  // Bytes that are not UTF-8 are replaced, never fatal.
  std::wstring text;
  EXPECT_TRUE(MessageFile::readText(writeFile("[English]\nKey=a\xFF"
                                              "b\n"),
                                    L"English", L"Key", text));
  EXPECT_EQ(text,
            L"a\uFFFD"
            L"b");
}

// The file as an editor saves "Unicode": UTF-16 little-endian behind its byte-order mark.
TEST_F(MessageFileTest, FileSavedAsUtf16IsRead) {
  const std::u16string file = u"\xFEFF[English]\r\nKey=\u65E5\u672C\\n2\r\n";
  std::string bytes;
  for (const char16_t unit : file) {
    bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  }
  std::wstring text;
  EXPECT_TRUE(MessageFile::readText(writeFile(bytes), L"English", L"Key", text));
  EXPECT_EQ(text, L"\u65E5\u672C\n2");
  EXPECT_FALSE(MessageFile::readText(writeFile(bytes + "x"), L"English", L"Key", text));
}

// A file beyond 16 MiB whose one text is made of "\n" pairs: every other pair follows a replaced
// one and stays.
TEST_F(MessageFileTest, TextOfAnyLengthIsReadInFull) {
  constexpr std::size_t kGroups = 17 * 1024 * 1024 / 4;
  std::string value;
  std::wstring expected;
  for (std::size_t i = 0; i < kGroups; ++i) {
    value += "\\n\\n";
    expected += L"\n\\n";
  }
  std::wstring text;
  EXPECT_TRUE(
      MessageFile::readText(writeFile("[English]\nKey=" + value + "\n"), L"English", L"Key", text));
  EXPECT_EQ(text.size(), expected.size());
  EXPECT_TRUE(text == expected);
}

TEST_F(MessageFileTest, LanguageIsChosenFromThePrimaryLanguageOfTheSystemLocale) {
  struct Case {
    std::uint32_t localeId;
    const wchar_t* section;
  };
  const Case cases[] = {
      {0x0405, L"English"},             // Czech: disabled
      {0x0406, L"English"},             // Danish: disabled
      {0x0407, L"German"},              // German (Germany)
      {0x0C07, L"German"},              // German (Austria)
      {0x0409, L"English"},             // English (United States)
      {0x0809, L"English"},             // English (United Kingdom)
      {0x0C0A, L"Spanish"},             // Spanish (Spain)
      {0x080A, L"Spanish"},             // Spanish (Mexico)
      {0x040C, L"French"},              // French (France)
      {0x0C0C, L"French"},              // French (Canada)
      {0x0410, L"Italian"},             // Italian
      {0x040E, L"English"},             // Hungarian: disabled
      {0x0413, L"Netherlands"},         // Dutch (Netherlands)
      {0x0813, L"Netherlands"},         // Dutch (Belgium)
      {0x0414, L"English"},             // Norwegian: disabled
      {0x0415, L"English"},             // Polish: disabled
      {0x0816, L"Brazilian"},           // Portuguese (Portugal): its own row is disabled
      {0x0416, L"Brazilian"},           // Portuguese (Brazil)
      {0x040B, L"English"},             // Finnish: disabled
      {0x041D, L"English"},             // Swedish: disabled
      {0x0411, L"Japanese"},            // Japanese
      {0x0804, L"Simplified Chinese"},  // Chinese (PRC)
      {0x0404, L"Simplified Chinese"},  // Chinese (Taiwan): Traditional Chinese is disabled
      {0x0412, L"English"},             // Korean: disabled
      {0x0419, L"English"},             // Russian: disabled
      {0x041F, L"English"},             // Turkish: disabled
      {0x0403, L"English"},             // Catalan: disabled
      {0x0408, L"English"},             // Greek: disabled
      {0x0401, L"English"},             // Arabic: not in the table
      {0x0000, L"English"},
      {0xFFFF0407, L"German"},  // only the low 10 bits count
  };
  for (const Case& c : cases) {
    system.localeId = c.localeId;
    EXPECT_EQ(MessageFile().section(), c.section) << std::hex << c.localeId;
    EXPECT_EQ(MessageFile(L"x").section(), c.section) << std::hex << c.localeId;
  }
  EXPECT_EQ(languageTable().size(), 23u);
}

TEST_F(MessageFileTest, DisabledLanguageReadsTheEnglishSectionEvenWhenTheFileHasItsOwn) {
  const std::wstring path =
      writeFile("[Korean]\nAFX_IDS_APP_TITLE=K\n[English]\nAFX_IDS_APP_TITLE=E\n");
  system.localeId = 0x0412;
  std::wstring caption;
  EXPECT_TRUE(MessageFile(path).getCaption(caption));
  EXPECT_EQ(caption, L"E");
}

TEST_F(MessageFileTest, PathIsKeptWhetherOrNotItExists) {
  const std::wstring path = writeFile("[English]\n");
  MessageFile file;
  EXPECT_EQ(file.path(), L".\\KV_TOOLS_LNG.IRC");
  EXPECT_TRUE(file.setPath(path));
  EXPECT_EQ(file.path(), path);
  EXPECT_FALSE(file.setPath(dir.child(L"missing")));
  EXPECT_EQ(file.path(), dir.child(L"missing"));
  EXPECT_FALSE(file.setPath(L""));
  EXPECT_EQ(file.path(), L"");
}

TEST_F(MessageFileTest, CaptionFallsBackToInstallPrinterDriver) {
  struct Case {
    std::string content;
    bool found;
    std::wstring caption;
  };
  const Case cases[] = {
      {"[English]\nAFX_IDS_APP_TITLE=\"My Tool\"\n", true, L"My Tool"},
      {"[English]\nafx_ids_app_title=\n", true, L""},
      {"[English]\nAFX_IDS_APP_TITLE=_NOPT\n", false, L"Install Printer Driver"},
      {"[German]\nAFX_IDS_APP_TITLE=Werkzeug\n", false, L"Install Printer Driver"},
  };
  for (const Case& c : cases) {
    std::wstring caption = L"untouched";
    EXPECT_EQ(MessageFile(writeFile(c.content)).getCaption(caption), c.found);
    EXPECT_EQ(caption, c.caption);
  }
  std::wstring caption;
  EXPECT_FALSE(MessageFile(dir.child(L"missing")).getCaption(caption));
  EXPECT_EQ(caption, L"Install Printer Driver");
}

TEST_F(MessageFileTest, NoticeNamesFileAndSectionAndIsCutAt1023Characters) {
  system.localeId = 0x0411;
  std::wstring notice;
  MessageFile(L"C:\\kvtool\\KV_TOOLS_LNG.IRC").noTextNotice(notice);
  EXPECT_EQ(notice,
            L"There is not a message text.\nIRC File=C:\\kvtool\\KV_TOOLS_LNG.IRC,\n"
            L"Section name=Japanese");

  // Format directives in the path are text like any other.
  MessageFile(L"C:\\%s%n%d\\x").noTextNotice(notice);
  EXPECT_EQ(notice,
            L"There is not a message text.\nIRC File=C:\\%s%n%d\\x,\nSection name=Japanese");

  const std::wstring head = L"There is not a message text.\nIRC File=";
  const std::wstring longPath(2000, L'p');
  MessageFile(longPath).noTextNotice(notice);
  EXPECT_EQ(notice, head + std::wstring(1023 - head.size(), L'p'));

  // Right at the limit nothing is cut.
  const std::wstring tail = L",\nSection name=Japanese";
  const std::wstring fitting(1023 - head.size() - tail.size(), L'q');
  MessageFile(fitting).noTextNotice(notice);
  EXPECT_EQ(notice, head + fitting + tail);
  EXPECT_EQ(notice.size(), 1023u);
}

}  // namespace
}  // namespace kv
