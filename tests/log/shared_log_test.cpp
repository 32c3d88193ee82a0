// Several processes writing one log file: a run started in the same second as another shares its
// detail log, and every run rewrites the operation log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

#include "log/logger.h"
#include "log/operation_record.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

constexpr int kWriters = 4;
constexpr int kLines = 300;

// Forks `kWriters` children that each run `write(child)` and end; waits for all of them.
template <typename Write>
void inChildren(Write write) {
  std::vector<pid_t> children;
  for (int child = 0; child < kWriters; ++child) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      write(child);
      _exit(0);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

TEST(SharedLog, LinesOfRunsWritingOneDetailLogStayWhole) {
  test::TempDir dir;
  const std::wstring path = dir.child(L"shared.log");
  inChildren([&](int child) {
    Logger log(LogLevel::All);
    if (!log.open(path, LogFileOpening::Append)) _exit(2);
    for (int line = 0; line < kLines; ++line) {
      // Many pieces a line, each flushed on its own.
      log.info() << L"run " << child << L" line " << line << L" " << std::wstring(40, L'a' + child)
                 << L" end" << endLine;
    }
  });
  std::istringstream text(test::readBytes(dir.path() / "shared.log"));
  std::vector<int> next(kWriters, 0);
  int lines = 0;
  for (std::string line; std::getline(text, line); ++lines) {
    int child = -1;
    int number = -1;
    ASSERT_EQ(std::sscanf(line.c_str(), "Info: run %d line %d", &child, &number), 2) << line;
    ASSERT_TRUE(child >= 0 && child < kWriters) << line;
    EXPECT_EQ(line, "Info: run " + std::to_string(child) + " line " + std::to_string(number) + " " +
                        std::string(40, static_cast<char>('a' + child)) + " end\r");
    EXPECT_EQ(number, next[child]++);  // each run's lines in its own order
  }
  EXPECT_EQ(lines, kWriters * kLines);
}

// Each run writes two logs in turns, as runs write the detail log and the operation log: a log
// keeps its lock over a few lines, and a run that kept one while it waited for the other would
// wait for ever on a run that does the same the other way round.
TEST(SharedLog, RunsWritingTwoLogsInTurnsNeverWaitForEachOther) {
  test::TempDir dir;
  const std::wstring first = dir.child(L"first.log");
  const std::wstring second = dir.child(L"second.log");
  // All start together and write for longer than a log keeps its lock, so that their locks meet.
  constexpr int kManyLines = 3000;
  const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
  inChildren([&](int child) {
    alarm(20);  // a run that waits for ever ends as a failure instead
    std::this_thread::sleep_until(start);
    Logger one(LogLevel::All);
    Logger other(LogLevel::All);
    if (!one.open(child % 2 == 0 ? first : second, LogFileOpening::Append) ||
        !other.open(child % 2 == 0 ? second : first, LogFileOpening::Append)) {
      _exit(2);
    }
    for (int line = 0; line < kManyLines; ++line) {
      one.info() << L"run " << child << L" line " << line << endLine;
      other.info() << L"run " << child << L" line " << line << endLine;
    }
  });
  for (const char* name : {"first.log", "second.log"}) {
    std::istringstream text(test::readBytes(dir.path() / name));
    int lines = 0;
    for (std::string line; std::getline(text, line); ++lines) {
      int child = -1;
      int number = -1;
      char end = 0;
      ASSERT_EQ(std::sscanf(line.c_str(), "Info: run %d line %d%c", &child, &number, &end), 3)
          << line;
      EXPECT_EQ(end, '\r') << line;
    }
    EXPECT_EQ(lines, kWriters * kManyLines) << name;
  }
}

// A log keeps its lock for a while after a line, unless the run is about to wait for something
// else (a child process, a message box).
TEST(SharedLog, TheLockIsKeptAfterALineUntilTheRunWaits) {
  for (const bool waits : {false, true}) {
    SCOPED_TRACE(waits ? "waits" : "goes on");
    test::TempDir dir;
    const std::wstring path = dir.child(L"shared.log");
    int ready[2];
    int done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      Logger log(LogLevel::All);
      if (!log.open(path, LogFileOpening::Append)) _exit(2);
      log.info() << L"one line" << endLine;
      if (waits) releaseLogFileLock();
      char byte = 0;
      if (write(ready[1], &byte, 1) != 1 || read(done[0], &byte, 1) != 1) _exit(3);
      _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    const int file = open((dir.path() / "shared.log").c_str(), O_RDWR);
    ASSERT_GE(file, 0);
    EXPECT_EQ(flock(file, LOCK_EX | LOCK_NB) == 0, waits);
    close(file);
    ASSERT_EQ(write(done[1], &byte, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const int end : {ready[0], ready[1], done[0], done[1]}) close(end);
  }
}

TEST(SharedLog, OperationLogHoldsOneWholeRecordWhateverTheOrder) {
  test::FakeSystemServices system;
  test::TempDir dir;
  const std::wstring path = dir.child(L"Operation.log");
  inChildren([&](int child) {
    // Every run empties the log when it starts and writes its record when it ends; records of
    // different lengths, so that a shorter one written over a longer one would show.
    if (!operationLog().open(path)) _exit(2);
    startOperationRecord(std::wstring(static_cast<std::size_t>(child) * 7 + 1, L'P'));
    usleep(static_cast<useconds_t>((kWriters - child) * 20000));
    finishOperationRecord(child, true);
  });
  const std::string record = test::readBytes(dir.path() / "Operation.log");
  int child = -1;
  ASSERT_EQ(std::sscanf(record.c_str(), "Cleaner: %*[P], Start:%*[^,], End:%*[^,], %d", &child), 1)
      << record;
  EXPECT_EQ(record, "Cleaner: " + std::string(static_cast<std::size_t>(child) * 7 + 1, 'P') +
                        ", Start:12/06/2026 14:05:00, End:12/06/2026 14:05:00, " +
                        std::to_string(child) + ", OK\r\n");
}

}  // namespace
}  // namespace kv
