#include "log/logger.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

class LoggerTest : public ::testing::Test {
 protected:
  std::string fileText() { return test::readBytes(dir.path() / "log.txt"); }
  std::wstring path() { return dir.child(L"log.txt"); }

  test::FakeSystemServices system;
  test::TempDir dir;
};

TEST_F(LoggerTest, LineIsWrittenWhenItsLevelReachesTheThreshold) {
  enum Begin { Debug, Info, Warn, Error };
  struct Case {
    LogLevel threshold;
    Begin begin;
    const char* stored;
  };
  const Case cases[] = {
      {LogLevel::Info, Debug, ""},
      {LogLevel::Info, Info, "Info: text\r\n"},
      {LogLevel::Debug, Debug, "Debug: text\r\n"},
      {LogLevel::All, Debug, "Debug: text\r\n"},
      {LogLevel::Warn, Info, ""},
      {LogLevel::Warning, Warn, "Warn: text\r\n"},
      {LogLevel::Error, Warn, ""},
      {LogLevel::Error, Error, "Error: text\r\n"},
      {LogLevel::Fatal, Error, ""},
      {LogLevel::Off, Error, ""},
  };
  for (const Case& c : cases) {
    Logger log(c.threshold);
    ASSERT_TRUE(log.open(path()));
    LogSink& sink = c.begin == Debug  ? log.debug()
                    : c.begin == Info ? log.info()
                    : c.begin == Warn ? log.warn()
                                      : log.error();
    sink << L"text" << endLine;
    log.close();
    EXPECT_EQ(fileText(), c.stored) << "threshold " << static_cast<int>(c.threshold);
  }
}

TEST_F(LoggerTest, PlainLineIgnoresTheThreshold) {
  Logger log(LogLevel::Off);
  ASSERT_TRUE(log.open(path()));
  log.error() << L"dropped" << endLine;
  log.plain() << L"Cleaner: PC01" << endLine;
  log.close();
  EXPECT_EQ(fileText(), "Cleaner: PC01\r\n");
}

TEST_F(LoggerTest, PiecesOfEveryKindInPlainDecimal) {
  Logger log(LogLevel::All);
  ASSERT_TRUE(log.open(path()));
  log.info() << "narrow " << L"wide " << std::wstring(L"string ") << std::int32_t{-1} << L" "
             << std::uint32_t{4294967295u} << L" " << std::uint64_t{18446744073709551615ull}
             << endLine;
  log.debug() << std::int32_t{0} << endLine;
  log.close();
  EXPECT_EQ(fileText(),
            "Info: narrow wide string -1 4294967295 18446744073709551615\r\n"
            "Debug: 0\r\n");
}

// A run stopped in the middle of a line leaves none of it.
TEST_F(LoggerTest, ALineReachesTheFileWholeWhenItEnds) {
  Logger log(LogLevel::All);
  ASSERT_TRUE(log.open(path()));
  log.info() << L"first";
  EXPECT_EQ(fileText(), "");
  log << L" second";
  EXPECT_EQ(fileText(), "");
  log << endLine;
  EXPECT_EQ(fileText(), "Info: first second\r\n");
}

TEST_F(LoggerTest, OpenEmptiesAnExistingFile) {
  test::writeBytes(dir.path() / "log.txt", "earlier run\r\n");
  Logger log(LogLevel::Info);
  ASSERT_TRUE(log.open(path()));
  EXPECT_EQ(fileText(), "");
  log.info() << L"new" << endLine;
  log.close();
  EXPECT_EQ(fileText(), "Info: new\r\n");
}

TEST_F(LoggerTest, OpenToAppendKeepsWhatTheFileHoldsOrCreatesIt) {
  test::writeBytes(dir.path() / "log.txt", "earlier run\r\n");
  Logger log(LogLevel::Info);
  ASSERT_TRUE(log.open(path(), LogFileOpening::Append));
  log.info() << L"new" << endLine;
  log.close();
  EXPECT_EQ(fileText(), "earlier run\r\nInfo: new\r\n");
  ASSERT_TRUE(log.open(dir.child(L"other.txt"), LogFileOpening::Append));
  log.info() << L"first" << endLine;
  log.close();
  EXPECT_EQ(test::readBytes(dir.path() / "other.txt"), "Info: first\r\n");
}

TEST_F(LoggerTest, OpenInMissingDirectoryFailsAndWritesOnlyToTheEcho) {
  Logger log(LogLevel::Info);
  EXPECT_FALSE(log.open(dir.child(L"missing/log.txt")));
  EXPECT_FALSE(log.isOpen());

  testing::internal::CaptureStdout();
  log.info() << L"silent" << endLine;
  log.setEcho(true);
  log.warn() << L"shown " << 7 << endLine;
  log.debug() << L"below threshold" << endLine;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Warn: shown 7\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST_F(LoggerTest, AfterCloseLinesGoOnlyToTheEcho) {
  Logger log(LogLevel::Info);
  ASSERT_TRUE(log.open(path()));
  log.info() << L"kept" << endLine;
  log.close();
  log.close();  // closing twice does nothing
  testing::internal::CaptureStdout();
  log.info() << L"lost" << endLine;
  log.setEcho(true);
  log.info() << L"console" << endLine;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Info: console\n");
  EXPECT_EQ(fileText(), "Info: kept\r\n");
}

// Control characters are shown, in the file and the echo, so that a name cannot forge a line.
TEST_F(LoggerTest, EchoCopiesFileLinesToStandardOutput) {
  const std::pair<const wchar_t*, std::string> cases[] = {
      {L"both C:\\kv", "both C:\\kv"},
      {L"a\tb", "a\\x09b"},
      {L"\x7F\x1F", "\\x7F\\x1F"},
      {L"Q\r\nInfo: Successfully deleted", "Q\\x0D\\x0AInfo: Successfully deleted"}};
  for (const auto& [name, shown] : cases) {
    Logger log(LogLevel::Info);
    ASSERT_TRUE(log.open(path()));
    log.setEcho(true);
    testing::internal::CaptureStdout();
    log.info() << name << endLine;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Info: " + shown + "\n");
    log.close();
    EXPECT_EQ(fileText(), "Info: " + shown + "\r\n");
  }
}

// A stream that refuses one character, as a file refuses a character it cannot store.
class RefusingBuffer : public std::wstreambuf {
 public:
  std::wstring text;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (traits_type::to_char_type(c) == L'#') return traits_type::eof();
    text.push_back(traits_type::to_char_type(c));
    return c;
  }
};

class SinkOnStream : public LogSink {
 public:
  explicit SinkOnStream(std::wostream& stream) { stream_ = &stream; }
};

TEST(LogSink, PieceTheStreamRefusesIsLostAndLaterPiecesAreWritten) {
  RefusingBuffer buffer;
  std::wostream stream(&buffer);
  SinkOnStream sink(stream);
  sink << L"a" << L"#" << L"b" << endLine << L"c";
  EXPECT_EQ(buffer.text, L"ab\nc");
  EXPECT_TRUE(stream.good());
}

TEST(Logger, ProcessWideLogsStartWithTheirFixedLines) {
  EXPECT_EQ(detailLog().level(), LogLevel::Info);
  EXPECT_EQ(operationLog().level(), LogLevel::Info);
  EXPECT_EQ(traceLog().level(), LogLevel::Off);
  EXPECT_FALSE(traceLog().isOpen());
  testing::internal::CaptureStdout();
  traceLog().debug() << L"dropped" << endLine;
  traceLog().error() << L"dropped" << endLine;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
}  // namespace kv

namespace kv {
namespace {

TEST_F(LoggerTest, TextIsStoredInTheAnsiCodePage) {
  Logger log(LogLevel::Info);
  ASSERT_TRUE(log.open(path()));
  log.info() << L"Caf\u00e9 \u65e5" << endLine << L"next" << endLine;
  log.close();
#ifdef _WIN32
  // Code page 1252: one byte for the accented letter, the default character for the other.
  EXPECT_EQ(fileText(), "Info: Caf\xe9 ?\r\nnext\r\n");
#else
  EXPECT_EQ(fileText(), "Info: Caf\xc3\xa9 \xe6\x97\xa5\r\nnext\r\n");
#endif
}

}  // namespace
}  // namespace kv
