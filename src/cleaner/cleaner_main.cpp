#include "cleaner/cleaner_main.h"

#include <clocale>
#include <cstdlib>
#include <exception>

#include "cleaner/command_line.h"
#include "cleaner/run_sequence.h"
#include "cleaner/startup.h"
#include "log/logger.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "system/system_services.h"

namespace kv {
namespace {

int runCleaner(const std::vector<std::wstring>& args) {
  // Upper-casing and the C runtime follow the user's locale from the very start.
  std::setlocale(LC_ALL, "");

  CleanerRun run;
  if (args.size() < 2) return 1;

  std::wstring messages;
  const int parsed = parseCommandLine(args, run.options, messages);
  SystemServices::current().writeConsole(ConsoleStream::Out, messages);
  if (parsed != 0) {
    detailLog().close();
    return 1;
  }

  startUp(run, args);
  return runSequence(run);
}

// Whatever escapes the phases (running out of memory, since the wrappers stop their own
// exceptions) ends the run as a listing failure does: the error line, the box with -P, the
// operation log record with the code and NG, and the code as exit status. Should the fatal end
// itself raise, the process still ends with the code.
[[noreturn]] void endOnUnexpectedFailure(const char* what) noexcept {
  try {
    detailLog().error() << L"Unexpected failure: " << what << endLine;
  } catch (...) {
  }
  try {
    fatalEnd(kResultCommandFailed, L"");
  } catch (...) {
  }
  std::exit(kResultCommandFailed);
}

}  // namespace

int cleanerMain(const std::vector<std::wstring>& args) {
  try {
    return runCleaner(args);
  } catch (const std::exception& failure) {
    endOnUnexpectedFailure(failure.what());
  } catch (...) {
    endOnUnexpectedFailure("unknown exception");
  }
}

}  // namespace kv
