#include "main/startup.h"

#include "config/silent_mode_file.h"
#include "log/log_level.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "log/operation_record.h"
#include "main/program_files.h"
#include "messages/error_dialog.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "system/system_services.h"

namespace kv {
namespace {

void openOperationLog(CleanerRun& run, const std::wstring& logDirectory) {
  run.operationLogPath = logDirectory + L"\\" + kOperationLogName;
  Logger& log = operationLog();
  if (!log.open(run.operationLogPath)) {
    log.setEcho(true);
    log.warn() << L"Failed to open operation log file " << run.operationLogPath << endLine;
  }
}

// Two runs started in the same second share the name; the second adds its lines behind the first
// one's instead of emptying them (a -T followed at once by -C keeps the rehearsal's log).
void openDetailLog(const std::wstring& logDirectory) {
  const std::wstring path = logDirectory + L"\\" + GetFileStamp() + kDetailLogSuffix;
  Logger& log = detailLog();
  if (!log.open(path, LogFileOpening::Append)) {
    log.setEcho(true);
    log.warn() << L"Failed to open log file " << path << endLine;
  }
}

// The maker's uninstallers look for this file while the first uninstall pass runs them. Its path
// is kept even when it cannot be written, so that a file an earlier run left is still removed.
void writeSilentModeFile(CleanerRun& run) {
  const std::optional<std::wstring> profile =
      SystemServices::current().environmentVariable(L"ALLUSERSPROFILE");
  if (!profile) return;
  run.silentModePath = *profile + L"\\NOVAX\\" + kSilentModeFileName;
  const bool written = writeSilentModeINIFile(run.silentModePath, messageBoxesEnabled());
  LogSink& line = written ? detailLog().debug() : detailLog().error();
  line << L"Create File : " << run.silentModePath << endLine;
}

}  // namespace

void startUp(CleanerRun& run, const std::wstring& programPath) {
  SystemServices& system = SystemServices::current();
  const RunOptions& options = run.options;
  // From here on the dialogs hold the -P switch for every part of the run, the fatal end too.
  setMessageBoxesEnabled(options.popup);

  if (options.echo) detailLog().setEcho(true);

  // -D is taken as it stands; otherwise the default directory, made when missing. When it
  // cannot be made the directory stays empty and the logs go to the root of the current drive.
  std::wstring logDirectory;
  if (options.logDirectory) {
    logDirectory = *options.logDirectory;
  } else {
    GetLogDirectory(logDirectory);
  }

  openOperationLog(run, logDirectory);
  startOperationRecord(system.computerName());
  openDetailLog(logDirectory);

  detailLog().setLevel(options.logLevel ? levelFromName(*options.logLevel) : LogLevel::ALL);
  detailLog().info() << L"KVTool cleaner started: " << GetTimeText() << endLine;

  // A missing message text file is reported and the run goes on without texts.
  checkMessageFile(messageFileBeside(programPath));

  // -M replaces whatever the configuration file named.
  if (options.configFile) {
    if (!run.config.load(*options.configFile)) fatalEnd(kResultReadScenario, L"");
    fillModelSet(run.config.modelList, run.modelSet);
  }
  if (options.models) {
    run.config.setModels(*options.models);
    fillModelSet(run.config.modelList, run.modelSet);
  }

  detailLog().debug() << buildStamp() << endLine;

  if (!options.popup) writeSilentModeFile(run);
}

}  // namespace kv
