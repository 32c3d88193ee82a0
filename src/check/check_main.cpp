#include "check/check_main.h"

#include <clocale>

#include "check/check_exit_codes.h"
#include "check/check_options.h"
#include "check/check_run.h"
#include "check/console_to_error.h"
#include "check/report_json.h"
#include "check/report_text.h"
#include "messages/result_codes.h"
#include "rules/configured_models.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The steps in a clean run's order; the first listing that fails ends the check.
int readMachine(CheckRun& run) {
  for (int (*step)(CheckRun&) : {checkPackages, checkConnections, checkMachineConnections,
                                 checkQueues, checkPendingRemovals, checkPorts, checkDrivers}) {
    if (const int failed = step(run); failed != 0) return failed;
  }
  return 0;
}

int runCheck(const std::vector<std::wstring>& args) {
  std::setlocale(LC_ALL, "");
  SystemServices& console = SystemServices::current();
  CheckOptions options;
  std::wstring messages;
  if (parseCheckCommandLine(args, options, messages) != 0) {
    console.writeConsole(ConsoleStream::Err, messages);
    return 1;
  }
  CheckRun run;
  if (!takeConfiguredModels(options.configFile, options.models, run.config, run.modelSet)) {
    return listingFailed(kResultReadScenario, L"Failed to load the configuration file.");
  }
  int failed = 0;
  {
    const ConsoleToError shared;
    failed = readMachine(run);
  }
  if (failed != 0) return failed;
  run.report.models = run.config.modelList;
  if (options.json) {
    const std::string json = jsonReport(run.report);  // ASCII only
    console.writeConsole(ConsoleStream::Out, std::wstring(json.begin(), json.end()));
  } else {
    console.writeConsole(ConsoleStream::Out, textReport(run.report));
  }
  return run.report.foundAny() ? kCheckFoundMakersObjects : kCheckFoundNothing;
}

}  // namespace

int checkMain(const std::vector<std::wstring>& args) {
  try {
    return runCheck(args);
  } catch (...) {
    // Running out of memory is what raises here; the line is a fixed text for that reason.
    SystemServices::current().writeConsole(ConsoleStream::Err,
                                           L"Unexpected failure: the check could not go on.\n");
  }
  return kResultCommandFailed;
}

}  // namespace kv
