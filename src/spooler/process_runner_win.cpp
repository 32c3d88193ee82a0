// Child processes on Windows: CreateProcessW, a bounded wait, TerminateProcess at the limit.
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "log/logger.h"
#include "spooler/process_runner.h"
#include "system/win_handles.h"

namespace kv {
namespace {

struct FreeDeleter {
  void operator()(wchar_t* text) const { std::free(text); }
};

// The current directory for the child, in a buffer the C library sizes itself. Null when the
// query fails, after the C library's perror form of the failure on standard error: the child
// then inherits the directory from this process instead.
std::unique_ptr<wchar_t, FreeDeleter> currentDirectory() {
  std::unique_ptr<wchar_t, FreeDeleter> directory(_wgetcwd(nullptr, 0));
  if (!directory) reportCurrentDirectoryFailure(errno);
  return directory;
}

class WindowsProcessRunner final : public ProcessRunner {
 public:
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t timeLimitMs) override {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    const auto directory = currentDirectory();
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    // No application name: the program is the command line's first token, as logged. The
    // uninstall commands quote a program path with a blank and name msiexec by its full path
    // (uninstall_command.h), and CreateProcessW searches no folder for a name with a path. An
    // application name would add nothing there, and for a program named without a folder it
    // would turn the usual search into the current directory alone.
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.get(), &startup, &started)) {
      return {};
    }
    // Owners close in the reverse order of their making: the process handle, then the thread's.
    const UniqueProcessHandle thread(started.hThread);
    const UniqueProcessHandle process(started.hProcess);

    if (WaitForSingleObject(process.get(), timeLimitMs) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 0);
      traceLog().debug() << L"Process has timed out ! (" << timeLimitMs << L" msec)" << endLine;
      return {ProcessOutcome::End::TimedOut};
    }
    // A failed wait counts as an ended child; its code then reads as whatever is known, or 0.
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    traceLog().debug() << L"GetExitCodeProcess(" << exitCode << L")" << endLine;
    return {ProcessOutcome::End::Exited, exitCode};
  }
};

}  // namespace

ProcessRunner& platformProcessRunner() {
  static WindowsProcessRunner runner;
  return runner;
}

}  // namespace kv
