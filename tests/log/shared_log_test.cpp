// Several processes writing one log file: a run started in the same second as another shares its
// detail log, and every run rewrites the operation log.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
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
    Logger log(LogLevel::ALL);
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
