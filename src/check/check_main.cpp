#include "check/check_main.h"

#include <clocale>
#include <cstdio>

#include "check/check_exit_codes.h"
#include "check/check_options.h"
#include "check/check_run.h"
#include "check/console_to_error.h"
#include "check/report_json.h"
#include "check/report_line.h"
#include "check/report_text.h"
#include "log/logger.h"
#include "messages/result_codes.h"
#include "rules/configured_models.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The steps in a clean run's order; the first listing that fails ends the check.
int readMachine(CheckRun& run) {
  for (int (*step)(CheckRun&) :
       {checkPackages, checkConnections, checkMachineConnections, checkQueues, checkPendingRemovals,
        checkPorts, checkDrivers, checkDriverPackages}) {
    if (const int failed = step(run); failed != 0) return failed;
  }
  return 0;
}

std::wstring isoTime(const LocalTime& time) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", time.year,
                                   time.month, time.day, time.hour, time.minute, time.second);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return std::wstring();
  return std::wstring(text, text + length);
}

CheckHead readHead(SystemServices& system) {
  constexpr char kVersion[] = KV_CHECK_VERSION;
  return CheckHead{system.computerName(),
                   isoTime(system.universalTime()),
                   std::wstring(kVersion, kVersion + sizeof kVersion - 1),
                   system.processAccount(),
                   system.windowsVersion(),
                   system.nativeMachine()};
}

// Standard output carries the report alone: the table, the JSON document or the one line.
void writeReport(const CheckReport& report, const CheckOptions& options) {
  SystemServices& system = SystemServices::current();
  if (options.json || options.oneLine) {
    const std::string ascii = options.json ? jsonReport(report) : oneLineReport(report) + "\n";
    system.writeReport(ConsoleStream::Out, std::wstring(ascii.begin(), ascii.end()));
  } else if (report.failure.empty()) {
    system.writeReport(ConsoleStream::Out, textReport(report));
  }
}

// The check could not finish: its line is on standard error; -J and -S still say so on standard
// output, with nothing listed.
int failedCheck(CheckRun& run, const CheckOptions& options, int code) {
  run.report.objects = {};
  run.report.exitCode = code;
  run.report.failure = lastListingFailure();
  writeReport(run.report, options);
  return code;
}

// Once, whatever the format: what the check could not tell about, and why.
void sayWhatCannotBeTold(const CheckReport& report) {
  std::size_t unknown = 0;
  bool denied = false;
  for (const std::vector<CheckedObject>& kind : report.objects) {
    for (const CheckedObject& object : kind) {
      if (object.decision != L"unknown") continue;
      ++unknown;
      denied = denied || object.error == 5;
    }
  }
  if (unknown == 0) return;
  SystemServices::current().writeReport(
      ConsoleStream::Err, L"Cannot tell what a clean run does with " + std::to_wstring(unknown) +
                              L" of the maker's objects: " +
                              (denied ? L"access denied: run kvcheck as an administrator to see.\n"
                                      : L"see the report.\n"));
}

int runCheck(const std::vector<std::wstring>& args) {
  std::setlocale(LC_ALL, "");
  SystemServices& system = SystemServices::current();
  CheckOptions options;
  std::wstring messages;
  if (parseCheckCommandLine(args, options, messages) != 0) {
    system.writeReport(ConsoleStream::Err, messages);
    return 1;
  }
  CheckRun run;
  run.report.head = readHead(system);
  if (!takeConfiguredModels(options.configFile, options.models, run.config, run.modelSet)) {
    return failedCheck(
        run, options,
        listingFailed(kResultReadScenario, L"Failed to load the configuration file."));
  }
  run.report.models = run.config.modelList;
  if (options.configFile && !options.models && run.config.modelList.empty()) {
    // The cleaner accepts such a file and chooses by the brand texts; whoever wrote it may have
    // meant otherwise.
    run.report.modelsNote = L"Models: none \u2014 " + *options.configFile +
                            L" names no model, so the maker's brand texts choose";
    system.writeReport(ConsoleStream::Err, withVisibleControls(*run.report.modelsNote) + L"\n");
  }
  int failed = 0;
  {
    const ConsoleToError shared;
    failed = readMachine(run);
  }
  if (failed != 0) return failedCheck(run, options, failed);
  run.report.exitCode = run.report.findingsExitCode();
  sayWhatCannotBeTold(run.report);
  writeReport(run.report, options);
  return run.report.exitCode;
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
