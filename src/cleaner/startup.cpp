#include "cleaner/startup.h"

#include <algorithm>
#include <vector>

#include "cleaner/program_files.h"
#include "config/silent_mode_file.h"
#include "log/log_level.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "log/maker_folder.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/configured_models.h"
#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

// Without -D the logs lie below the all-users profile, where a link may have been planted: a log
// behind one is not opened, as if it could not be, and the link is named by report() once the
// detail log can take the line. A -D directory is the administrator's own choice and is opened
// as given.
class LogOpening {
 public:
  explicit LogOpening(bool guarded) : guarded_(guarded) {}

  bool open(Logger& log, const std::wstring& path, LogFileOpening opening) {
    if (!guarded_) return log.open(path, opening);
    if (const std::optional<std::wstring> link = linkBelowAllUsersProfile(path)) {
      if (std::find(refused_.begin(), refused_.end(), *link) == refused_.end()) {
        refused_.push_back(*link);
      }
      return false;
    }
    return log.open(path, opening, LinkAtPath::Refuse);
  }

  // One Error line a link, on the detail log (on the console when that log was refused).
  void report() const {
    for (const std::wstring& link : refused_) reportRefusedWrite(link);
  }

 private:
  bool guarded_;
  std::vector<std::wstring> refused_;
};

void openOperationLog(CleanerRun& run, LogOpening& opening, const std::wstring& logDirectory) {
  run.operationLogPath = logDirectory + L"\\" + kOperationLogName;
  Logger& log = operationLog();
  if (!opening.open(log, run.operationLogPath, LogFileOpening::Empty)) {
    log.setEcho(true);
    log.warn() << L"Failed to open operation log file " << run.operationLogPath << endLine;
  }
}

// Two runs started in the same second share the name; the second adds its lines behind the first
// one's instead of emptying them (a -T followed at once by -C keeps the rehearsal's log).
void openDetailLog(LogOpening& opening, const std::wstring& logDirectory) {
  const std::wstring path = logDirectory + L"\\" + GetFileStamp() + kDetailLogSuffix;
  Logger& log = detailLog();
  if (!opening.open(log, path, LogFileOpening::Append)) {
    log.setEcho(true);
    log.warn() << L"Failed to open log file " << path << endLine;
  }
}

// The maker's uninstallers look for this file while the first uninstall pass runs them. A file
// that was there keeps its bytes, to be put back after that pass; one whose bytes cannot be read
// is left alone, since they could not be put back.
void writeSilentModeFile(CleanerRun& run) {
  const std::optional<std::wstring> path = silentModeFilePath();
  if (!path) return;
  run.silentModePath = *path;
  bool written = false;
  bool leftAlone = false;
  if (!writeRefusedByLink(run.silentModePath)) {
    std::string original;
    const bool there = SystemServices::current().pathExists(run.silentModePath);
    if (there &&
        readWholeFile(run.silentModePath, kNoSizeLimit, original) != FileReadResult::Read) {
      leftAlone = true;  // what stands there could not be put back as it was
    } else {
      if (there) run.silentModeOriginal = std::move(original);
      written = writeSilentModeINIFile(run.silentModePath, messageBoxesEnabled());
    }
  }
  LogSink& line = written ? detailLog().debug() : detailLog().error();
  line << L"Create File : " << run.silentModePath << endLine;
  if (leftAlone) run.silentModePath.clear();
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

  LogOpening opening(!options.logDirectory);
  openOperationLog(run, opening, logDirectory);
  startOperationRecord(system.computerName());
  openDetailLog(opening, logDirectory);

  detailLog().setLevel(options.logLevel ? levelFromName(*options.logLevel) : LogLevel::All);
  detailLog().info() << L"KVTool cleaner started: " << GetTimeText() << endLine;
  opening.report();

  // A missing message text file is reported and the run goes on without texts.
  checkMessageFile(messageFileBeside(programPath));

  // -M replaces whatever the configuration file named.
  if (!takeConfiguredModels(options.configFile, options.models, run.config, run.modelSet)) {
    fatalEnd(kResultReadScenario, L"");
  }

  detailLog().debug() << buildStamp() << endLine;

  if (!messageBoxesEnabled()) writeSilentModeFile(run);
}

}  // namespace kv
