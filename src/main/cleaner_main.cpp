#include "main/cleaner_main.h"

#include <clocale>

#include "log/logger.h"
#include "main/command_line.h"
#include "main/run_sequence.h"
#include "main/startup.h"
#include "system/system_services.h"

namespace kv {

int cleanerMain(const std::vector<std::wstring>& args) {
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

  startUp(run, args[0]);
  return runSequence(run);
}

}  // namespace kv
