// The native runner with real children (sh and the system's small programs).
#include "spooler/process_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "scoped_current_directory.h"
#include "spooler/error_reporting.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "system/system_services.h"
#include "system/utf8.h"
#include "trace_capture.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kUntouched = 424242;

class StandardErrorRecorder : public SystemServicesWrapper {
 public:
  StandardErrorRecorder() : SystemServicesWrapper(platformSystemServices()) {}
  void writeConsole(ConsoleStream stream, std::wstring_view text) override {
    if (stream == ConsoleStream::Err) written += text;
  }
  std::wstring written;

 private:
  ScopedSystemServices installed_{*this};
};

// Nothing on standard error yet, and a last error code that no runner produces.
class ProcessRunnerTest : public ::testing::Test {
 protected:
  ProcessRunnerTest() { vMciReportError(kUntouched, L"test", 0, L"", 0); }

  bool run(const std::string& commandLine, std::uint32_t limitMs = 10000) {
    return bMciRunProcess(utf8ToWide(commandLine), limitMs);
  }

  test::TempDir dir;
  StandardErrorRecorder standardError;
};

// Exit codes have 8 bits here; a Windows-sized code (1603) is tested under Wine.
TEST_F(ProcessRunnerTest, ChildEndedInTimeGivesTrueWhateverItsCode) {
  struct Case {
    const char* command;
    const char* traced;
  };
  const Case cases[] = {
      {"sh -c \"exit 0\"", "Debug: GetExitCodeProcess(0)\r\n"},
      {"sh -c \"exit 67\"", "Debug: GetExitCodeProcess(67)\r\n"},
      {"sh -c \"kill -TERM $$\"", "Debug: GetExitCodeProcess(143)\r\n"},  // 128 + the signal
  };
  for (const Case& c : cases) {
    test::TraceCapture trace;
    EXPECT_TRUE(run(c.command)) << c.command;
    EXPECT_EQ(trace.text(), c.traced) << c.command;
    EXPECT_EQ(dwMciGetLastError(), kUntouched) << c.command;
  }
}

TEST_F(ProcessRunnerTest, BlanksSeparateArgumentsAndDoubleQuotesGroupThem) {
  struct Case {
    const char* arguments;
    const char* received;
  };
  const Case cases[] = {
      {"a b", "[a][b]"},        {" \ta \t b  ", "[a][b]"}, {"\"b c\" d", "[b c][d]"},
      {"a\"b c\"d", "[ab cd]"}, {"\"\" x", "[][x]"},       {"\"a  b", "[a  b]"},
  };
  const fs::path script = dir.path() / "args.sh";
  const fs::path received = dir.path() / "args.out";
  test::writeBytes(script, "printf '[%s]' \"$@\" > '" + received.string() + "'\n");
  for (const Case& c : cases) {
    EXPECT_TRUE(run("sh " + script.string() + " " + c.arguments)) << c.arguments;
    EXPECT_EQ(test::readBytes(received), c.received) << c.arguments;
  }
}

// The shell would write the marker after its sleep; killed at the limit, it never does, and
// the runner leaves no child of ours behind, not even a zombie.
TEST_F(ProcessRunnerTest, ChildStillRunningAtTheLimitIsKilledAndGivesFalse) {
  struct Case {
    std::uint32_t limitMs;
    const char* traced;
  };
  const Case cases[] = {
      {200, "Debug: Process has timed out ! (200 msec)\r\n"},
      {0, "Debug: Process has timed out ! (0 msec)\r\n"},
  };
  const fs::path marker = dir.path() / "late";
  for (const Case& c : cases) {
    test::TraceCapture trace;
    EXPECT_FALSE(
        run("sh -c \"sleep 5 >/dev/null 2>&1; echo late > " + marker.string() + "\"", c.limitMs));
    EXPECT_EQ(trace.text(), c.traced);
    EXPECT_FALSE(fs::exists(marker)) << c.limitMs;
    const pid_t leftOver = waitpid(-1, nullptr, WNOHANG);
    const int error = errno;
    EXPECT_EQ(leftOver, -1) << c.limitMs;
    EXPECT_EQ(error, ECHILD) << c.limitMs;
    EXPECT_EQ(dwMciGetLastError(), kUntouched);
  }
}

TEST_F(ProcessRunnerTest, CommandThatCannotStartGivesFalseAndTracesNothing) {
  const std::string commands[] = {
      "", " \t ", "kv-no-such-program-4711 x", "/nonexistent/kv/program", dir.path().string(),
  };
  test::TraceCapture trace;
  for (const std::string& command : commands) {
    EXPECT_FALSE(run(command)) << command;
    EXPECT_EQ(dwMciGetLastError(), kUntouched) << command;
  }
  EXPECT_EQ(trace.text(), "");
}

TEST_F(ProcessRunnerTest, ChildStartsInOurCurrentDirectory) {
  const fs::path here = fs::canonical(dir.path());
  const test::ScopedCurrentDirectory inside(here);
  ASSERT_TRUE(run("sh -c \"pwd -P > cwd.txt\""));
  EXPECT_EQ(test::readBytes(here / "cwd.txt"), here.string() + "\n");
  EXPECT_EQ(standardError.written, L"");
}

// The directory this process stands in is removed: the query fails, the child runs all the same.
TEST_F(ProcessRunnerTest, UnreadableCurrentDirectoryIsReportedAndTheChildStillRuns) {
  const fs::path gone = dir.path() / "gone";
  fs::create_directory(gone);
  const test::ScopedCurrentDirectory inside(gone);
  fs::remove(gone);
  test::TraceCapture trace;
  EXPECT_TRUE(run("true"));
  EXPECT_EQ(standardError.written, L"_getcwd error: No such file or directory\n");
  EXPECT_EQ(trace.text(), "Debug: GetExitCodeProcess(0)\r\n");
}

class RecordingRunner : public ProcessRunner {
 public:
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    seen = commandLine + L" @" + std::to_wstring(timeLimitMs);
    return {answer ? ProcessOutcome::End::Exited : ProcessOutcome::End::TimedOut};
  }
  bool answer = false;
  std::wstring seen;
};

TEST(ProcessRunnerSeamTest, RunsThroughTheInstalledRunnerWhileItIsInstalled) {
  for (const bool answer : {true, false}) {
    RecordingRunner recording;
    recording.answer = answer;
    {
      const ScopedProcessRunner installed(recording);
      EXPECT_EQ(bMciRunProcess(L"MsiExec.exe /X{1} /Qn", 300000), answer);
    }
    EXPECT_EQ(recording.seen, L"MsiExec.exe /X{1} /Qn @300000");
    EXPECT_EQ(&ProcessRunner::current(), &platformProcessRunner());
  }
}

}  // namespace
}  // namespace kv
