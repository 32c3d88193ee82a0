// The message text file that ships beside kvcleaner.exe, as the build copies it there.
#include <gtest/gtest.h>

#include "messages/language_table.h"
#include "messages/message_file.h"
#include "messages/result_codes.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"

namespace kv {
namespace {

const std::wstring kShippedFile = KV_BUILT_MESSAGE_FILE;

// The codes this tool raises; every language carries their texts.
constexpr std::int32_t kRaisedCodes[] = {4, 16, 17, 18, 30, 42, 44};

TEST(ShippedMessageFile, IsUtf8WithByteOrderMarkAndHasNoPlaceholders) {
  const std::string bytes = test::readBytes(std::filesystem::path(kShippedFile));
  ASSERT_GT(bytes.size(), 3u);
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF"));
  EXPECT_EQ(bytes.find("_NOPT"), std::string::npos);
  // No text is taken for a format, but none should look like one either.
  EXPECT_EQ(bytes.find('%'), std::string::npos);
}

TEST(ShippedMessageFile, EveryEnabledLanguageHasCaptionAndTheRaisedCodes) {
  const wchar_t* const sections[] = {
      L"German",   L"English",     L"Spanish",  L"French",
      L"Italian",  L"Netherlands", L"Japanese", L"Simplified Chinese",
      L"Brazilian"};
  size_t enabled = 0;
  for (const LanguageRow& row : languageTable()) enabled += row.enabled ? 1 : 0;
  EXPECT_EQ(enabled, std::size(sections));

  for (const wchar_t* section : sections) {
    std::wstring caption;
    EXPECT_TRUE(MessageFile::readText(kShippedFile, section, L"AFX_IDS_APP_TITLE", caption))
        << section;
    EXPECT_EQ(caption, L"KVTool Cleaner") << section;
    for (const std::int32_t code : kRaisedCodes) {
      std::wstring id;
      ASSERT_TRUE(messageIdForCode(code, id));
      std::wstring text;
      EXPECT_TRUE(MessageFile::readText(kShippedFile, section, id, text)) << section << L" " << id;
      EXPECT_GT(text.size(), 20u) << section << L" " << id;
    }
  }
}

TEST(ShippedMessageFile, EnglishHasATextForEveryIdentifier) {
  for (std::int32_t code = 1; code <= 113; ++code) {
    std::wstring id;
    ASSERT_TRUE(messageIdForCode(code, id));
    std::wstring text;
    EXPECT_TRUE(MessageFile::readText(kShippedFile, L"English", id, text)) << id;
    EXPECT_FALSE(text.empty()) << id;
  }
}

TEST(ShippedMessageFile, SystemLanguagePicksItsOwnText) {
  test::FakeSystemServices system;
  struct Case {
    std::uint32_t localeId;
    const wchar_t* start;
  };
  const Case cases[] = {
      {0x409, L"The network printer connections could not be listed.\nCheck"},
      {0x407, L"Die Verbindungen zu Netzwerkdruckern"},
      {0x411, L"\u30CD\u30C3\u30C8\u30EF\u30FC\u30AF"},
      {0x804, L"\u65E0\u6CD5"},
      {0x816, L"N\u00E3o foi poss\u00EDvel"},
  };
  for (const Case& c : cases) {
    system.localeId = c.localeId;
    std::wstring text;
    EXPECT_TRUE(messageTextForCode(MessageFile(kShippedFile), 16, text));
    EXPECT_TRUE(text.starts_with(c.start)) << std::hex << c.localeId;
  }
}

}  // namespace
}  // namespace kv
