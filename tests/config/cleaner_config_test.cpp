#include "config/cleaner_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_text.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kv {
namespace {

using List = std::vector<std::wstring>;

class CleanerConfigTest : public ::testing::Test {
 protected:
  std::wstring writeConfig(const std::string& bytes) {
    test::writeBytes(dir.path() / "cfg.ini", bytes);
    return dir.child(L"cfg.ini");
  }

  test::TempDir dir;
};

TEST_F(CleanerConfigTest, ModelsValueIsUnquotedAndSplit) {
  struct Case {
    std::string file;
    List models;
  };
  const Case cases[] = {
      {"[Clean]\r\nModels=Alpha 100|Beta 200\r\n", {L"Alpha 100", L"Beta 200"}},
      {"[clean]\nmodels = A | B\n", {L"A", L"B"}},
      {"[CLEAN]\nMODELS=A\n", {L"A"}},
      {"[Other]\nModels=X\n[Clean]\nOther=Y\nModels=\"A,B|C\"\n", {L"A,B", L"C"}},
      {"[Clean]\nModels=\"A|B\"\n", {L"\"A", L"B\""}},
      {"[Clean]\nModels=@A \\\"x\\\"|C:\\\\d\n", {L"A \"x\"", L"C:\\d"}},
      {"[Clean]\nModels=|\n", {L""}},
      {"[Clean]\nModels=A|A\n", {L"A", L"A"}},
      // One value per key: the last one stands.
      {"[Clean]\nModels=A\nModels=B\n", {L"B"}},
      {"; comment\n[Clean]\n; Models=X\nModels=A\n", {L"A"}},
      {"[Clean]\nModels=\n", {}},
      {"[Clean]\n", {}},
      {"[Other]\nModels=X\n", {}},
      {"", {}},
      {"\xEF\xBB\xBF[Clean]\nModels=A\n", {L"A"}},
  };
  for (const Case& c : cases) {
    cleanerconfig_s config;
    config.modelList = {L"left over"};
    EXPECT_TRUE(config.load(writeConfig(c.file))) << c.file;
    EXPECT_EQ(config.modelList, c.models) << c.file;
  }
}

// Only a regular file is a configuration file: a device or a pipe is never read.
TEST_F(CleanerConfigTest, FileThatCannotBeLoadedLeavesTheListAlone) {
  std::filesystem::create_directory(dir.path() / "folder");
  std::vector<std::wstring> paths = {dir.child(L"missing.ini"), dir.child(L"folder"), L""};
#ifdef _WIN32
  paths.insert(paths.end(), {L"NUL", dir.child(L"aux.ini")});
#else
  ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  paths.insert(paths.end(), {dir.child(L"pipe"), L"/dev/null"});
#endif
  for (const std::wstring& path : paths) {
    cleanerconfig_s config;
    config.modelList = {L"kept"};
    EXPECT_FALSE(config.load(path)) << path;
    EXPECT_EQ(config.modelList, List{L"kept"}) << path;
  }
}

// Files once refused for their size: 16 MiB and more.
TEST_F(CleanerConfigTest, FileLoadsWhateverItsSize) {
  const std::string head = "[Clean]\nModels=A|B\n";
  const std::string contents[] = {
      head + std::string(16 * 1024 * 1024 - head.size(), '\n'),
      head + std::string(16 * 1024 * 1024, ';'),
      head + std::string(17 * 1024 * 1024, '\n'),
  };
  for (const std::string& content : contents) {
    cleanerconfig_s config;
    EXPECT_TRUE(config.load(writeConfig(content))) << content.size();
    EXPECT_EQ(config.modelList, (List{L"A", L"B"})) << content.size();
  }
}

TEST_F(CleanerConfigTest, BinaryContentIsReadUpToItsFirstZeroByte) {
  using namespace std::string_literals;
  std::string noise;
  for (int i = 1; i < 4096; ++i) noise.push_back(static_cast<char>((i * 7919) % 256));
  cleanerconfig_s config;
  EXPECT_TRUE(config.load(writeConfig(noise)));
  EXPECT_TRUE(config.load(writeConfig("[Clean]\nModels=A|B\0|C\n"s + noise)));
  EXPECT_EQ(config.modelList, (List{L"A", L"B"}));
}

TEST_F(CleanerConfigTest, FileIsReadInTheAnsiCodePage) {
  // 0xE9 is "e" with an acute accent in code page 1252 (Windows); the native build's ANSI code
  // page is UTF-8.
#ifdef _WIN32
  const std::string accented = "Caf\xE9";
#else
  const std::string accented = "Caf\xC3\xA9";
#endif
  cleanerconfig_s config;
  EXPECT_TRUE(config.load(writeConfig("[Clean]\nModels=" + accented + "|B\n")));
  EXPECT_EQ(config.modelList, (List{L"Caf\u00E9", L"B"}));
}

// Text as an editor saves "Unicode": UTF-16 behind its byte-order mark.
std::string utf16File(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(CleanerConfigTest, SameModelsWhateverTheEncodingTheFileWasSavedIn) {
#ifdef _WIN32
  const std::string ansi = "[Clean]\r\nModels=Caf\xE9 1|\xDCn\xEF 2\r\n";  // code page 1252
#else
  const std::string ansi = "[Clean]\r\nModels=Caf\xC3\xA9 1|\xC3\x9Cn\xC3\xAF 2\r\n";
#endif
  const std::u16string text = u"[Clean]\r\nModels=Caf\u00E9 1|\u00DCn\u00EF 2\r\n";
  const std::string files[] = {
      ansi,
      "\xEF\xBB\xBF[Clean]\r\nModels=Caf\xC3\xA9 1|\xC3\x9Cn\xC3\xAF 2\r\n",
      utf16File(text, false),
      utf16File(text, true),
  };
  for (const std::string& file : files) {
    cleanerconfig_s config;
    EXPECT_TRUE(config.load(writeConfig(file))) << file;
    EXPECT_EQ(config.modelList, (List{L"Caf\u00E9 1", L"\u00DCn\u00EF 2"})) << file;
  }
  cleanerconfig_s beyondTheBasicPlane;
  EXPECT_TRUE(
      beyondTheBasicPlane.load(writeConfig(utf16File(u"[Clean]\nModels=\U0001F5A8", true))));
  EXPECT_EQ(beyondTheBasicPlane.modelList, List{L"\U0001F5A8"});
}

// UTF-16 that is cut short or holds half a character is a damaged file: the run ends with code
// 4 instead of cleaning by models that may read differently from what was written.
TEST_F(CleanerConfigTest, MalformedUtf16FileIsNotLoaded) {
  const std::u16string models = u"[Clean]\nModels=A|B";
  const std::string files[] = {
      utf16File(models, false) + "C",
      utf16File(models + u"\xD83D", false),
      utf16File(models + u"\xDE00|C", false),
      utf16File(models + char16_t{0xD83D} + u'C', true),
  };
  for (const std::string& file : files) {
    cleanerconfig_s config;
    config.modelList = {L"kept"};
    EXPECT_FALSE(config.load(writeConfig(file))) << file;
    EXPECT_EQ(config.modelList, List{L"kept"}) << file;
  }
}

TEST(CleanerConfig, SetModelsSplitsWithoutUnquotingAndReplacesTheList) {
  struct Case {
    std::wstring text;
    List models;
  };
  const Case cases[] = {
      {L"A|B", {L"A", L"B"}},
      {L"\"A,B\"|@C|D\\\\", {L"\"A,B\"", L"@C", L"D\\\\"}},
      {L"", {}},
      {L"|", {L""}},
  };
  for (const Case& c : cases) {
    cleanerconfig_s config;
    config.modelList = {L"old"};
    EXPECT_TRUE(config.setModels(c.text));
    EXPECT_EQ(config.modelList, c.models) << c.text;
  }
}

TEST(IniLoader, BaseRecordReadsNothingAndSucceedsOnAnyLoadableFile) {
  test::TempDir dir;
  test::writeBytes(dir.path() / "any.ini", "[x]\ny=z\n");
  INILoader loader;
  EXPECT_TRUE(loader.load(dir.child(L"any.ini")));
  EXPECT_FALSE(loader.load(dir.child(L"missing.ini")));
}

}  // namespace
}  // namespace kv
