// Child processes on POSIX systems, so that the native build runs real children: posix_spawnp,
// a polled wait against a deadline, SIGKILL at the limit.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "log/logger.h"
#include "spooler/process_runner.h"
#include "system/utf8.h"

extern char** environ;

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

// Long enough to cost nothing while an uninstaller runs for minutes, short enough that a child
// is seen to end soon after it did.
constexpr std::chrono::milliseconds kPollInterval{5};

// The arguments of a command line, by the few rules the native build's callers need: blanks
// (space, tab) separate arguments; a double quote opens or closes a run in which blanks belong
// to the argument; the quotes themselves are dropped, so "" is an empty argument and a"b c"
// is one argument, ab c. There is no escape character; an unclosed quote runs to the end.
std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> arguments;
  std::string argument;
  bool inArgument = false;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) arguments.push_back(std::move(argument));
      argument.clear();
      inArgument = false;
    } else {
      argument.push_back(c);
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(std::move(argument));
  return arguments;
}

struct FreeDeleter {
  void operator()(char* text) const { std::free(text); }
};

// The current directory for the child. Null when the query fails (the directory was removed),
// after the C library's perror form of the failure on standard error, in the words the Windows
// runner uses; the child then inherits the directory as it is.
std::unique_ptr<char, FreeDeleter> currentDirectory() {
  std::unique_ptr<char, FreeDeleter> directory(getcwd(nullptr, 0));
  if (!directory) reportCurrentDirectoryFailure(errno);
  return directory;
}

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// A child ended by a signal reads as 128 + the signal's number, as a shell reports it.
std::uint32_t exitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return 0;
}

// The exit code of `child` once it has ended and been reaped; nullopt when it is still running
// at `deadline`. A failed wait counts as an ended child with code 0.
std::optional<std::uint32_t> waitUntil(pid_t child, Clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) return exitCodeOf(status);
    if (ended < 0 && errno != EINTR) return 0;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, kPollInterval));
  }
}

class PosixProcessRunner final : public ProcessRunner {
 public:
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    std::vector<std::string> arguments = splitCommandLine(wideToUtf8(commandLine));
    if (arguments.empty()) return {};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnActions actions;
    const auto directory = currentDirectory();
    if (directory) posix_spawn_file_actions_addchdir_np(actions.get(), directory.get());
    // posix_spawnp reports a program that cannot be executed as its own failure.
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ) != 0) {
      return {};
    }

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs);
    const std::optional<std::uint32_t> exitCode = waitUntil(child, deadline);
    if (!exitCode) {
      // Unlike TerminateProcess, the kill leaves a zombie until the child is reaped.
      kill(child, SIGKILL);
      int status = 0;
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      traceLog().debug() << L"Process has timed out ! (" << timeLimitMs << L" msec)" << endLine;
      return {ProcessOutcome::End::TimedOut};
    }
    traceLog().debug() << L"GetExitCodeProcess(" << *exitCode << L")" << endLine;
    return {ProcessOutcome::End::Exited, *exitCode};
  }
};

}  // namespace

ProcessRunner& platformProcessRunner() {
  static PosixProcessRunner runner;
  return runner;
}

}  // namespace kv
