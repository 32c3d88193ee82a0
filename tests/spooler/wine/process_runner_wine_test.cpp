// The Windows runner against Wine's process creation, with a child program of our own
// (runner_child_win.cpp).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../scoped_current_directory.h"
#include "../trace_capture.h"
#include "spooler/error_reporting.h"
#include "spooler/process_runner.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "system/utf8.h"
#include "system/win_handles.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kUntouched = 424242;

// The child's command line: the build passes its path on the build machine, which Wine shows
// as the Z: drive.
std::wstring child(const std::wstring& steps) { return L"\"Z:" KV_RUNNER_CHILD L"\" " + steps; }

class ProcessRunnerWineTest : public ::testing::Test {
 protected:
  ProcessRunnerWineTest() { vMciReportError(kUntouched, L"test", 0, L"", 0); }

  test::TempDir dir;
};

TEST_F(ProcessRunnerWineTest, ChildEndedInTimeGivesTrueWhateverItsCode) {
  struct Case {
    std::wstring steps;
    const char* traced;
  };
  // An inheritable handle of ours, which the child must not get: 6 is ERROR_INVALID_HANDLE.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const UniqueFileHandle event(CreateEventW(&inherit, TRUE, TRUE, nullptr));
  ASSERT_TRUE(event);
  const auto value = reinterpret_cast<std::uintptr_t>(event.get());
  const Case cases[] = {
      {L"show -", "Debug: GetExitCodeProcess(1000)\r\n"},  // STARTF_USESHOWWINDOW, SW_HIDE
      {L"handle " + std::to_wstring(value), "Debug: GetExitCodeProcess(6)\r\n"},
      {L"exit 1603", "Debug: GetExitCodeProcess(1603)\r\n"},
      {L"exit 3221225477", "Debug: GetExitCodeProcess(3221225477)\r\n"},
      {L"", "Debug: GetExitCodeProcess(0)\r\n"},
  };
  for (const Case& c : cases) {
    test::TraceCapture trace;
    EXPECT_TRUE(bMciRunProcess(child(c.steps), 30000)) << c.traced;
    EXPECT_EQ(trace.text(), c.traced);
    EXPECT_EQ(dwMciGetLastError(), kUntouched) << c.traced;
  }
}

// Wine starts a Linux program with a null process handle, so the wait and the exit code query
// both fail: the child counts as ended, with the code the runner starts from. Wine leaves the
// thread handle unset, which the runner then closes; see docs/testing.md.
TEST_F(ProcessRunnerWineTest, FailedWaitCountsAsAnEndedChildWithCodeZero) {
  test::TraceCapture trace;
  EXPECT_TRUE(bMciRunProcess(L"Z:/bin/false", 30000));
  EXPECT_EQ(trace.text(), "Debug: GetExitCodeProcess(0)\r\n");
}

// The child would create the marker after its sleep. The runner does not wait for the killed
// child; the test does, and then finds the exit code TerminateProcess gave it.
TEST_F(ProcessRunnerWineTest, ChildStillRunningAtTheLimitIsKilledAndGivesFalse) {
  test::TraceCapture trace;
  const std::wstring marker = dir.child(L"late");
  EXPECT_FALSE(
      bMciRunProcess(child(L"pid " + dir.child(L"pid") + L" sleep 5000 touch " + marker), 300));
  EXPECT_EQ(trace.text(), "Debug: Process has timed out ! (300 msec)\r\n");
  EXPECT_EQ(dwMciGetLastError(), kUntouched);

  const std::string pid = test::readBytes(dir.path() / "pid");
  ASSERT_FALSE(pid.empty()) << "the child had not started its first step at the limit";
  const UniqueProcessHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, std::stoul(pid)));
  ASSERT_TRUE(process) << GetLastError();
  EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  DWORD exitCode = 99;
  EXPECT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(fs::exists(dir.path() / "late"));
}

TEST_F(ProcessRunnerWineTest, CommandThatCannotStartGivesFalseAndTracesNothing) {
  const std::wstring commands[] = {L"", L"kv_no_such_program_4711.exe x",
                                   L"\"Z:/nonexistent/kv/program.exe\""};
  test::TraceCapture trace;
  for (const std::wstring& command : commands) {
    EXPECT_FALSE(bMciRunProcess(command, 30000)) << wideToUtf8(command);
    EXPECT_EQ(dwMciGetLastError(), kUntouched) << wideToUtf8(command);
  }
  EXPECT_EQ(trace.text(), "");
}

TEST_F(ProcessRunnerWineTest, ChildStartsInOurCurrentDirectory) {
  const test::ScopedCurrentDirectory inside(dir.path());
  ASSERT_TRUE(bMciRunProcess(child(L"cwd " + dir.child(L"cwd.txt")), 30000));
  EXPECT_EQ(test::readBytes(dir.path() / "cwd.txt"), wideToUtf8(dir.wide()));
}

}  // namespace
}  // namespace kv
