#include "cleaner/startup.h"

#include <algorithm>
#include <vector>

#include "cleaner/cleaning_phases.h"
#include "cleaner/program_files.h"
#include "log/log_level.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "log/maker_folder.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/configured_models.h"
#include "rules/removal_opt_ins.h"
#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {

const wchar_t kProgramVersion[] = L"" KV_PROGRAM_VERSION;

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

// A message box where no one can see it never returns: the run would hang until the deployment
// gives up on it. Null when -P stands.
const wchar_t* whyPopupIsIgnored(bool popup) {
  if (!popup) return nullptr;
  SystemServices& system = SystemServices::current();
  if (system.runsAsLocalSystem())
    return L"-P ignored: running as LocalSystem, no one sees a message box";
  if (!system.hasInteractiveWindowStation()) {
    return L"-P ignored: no interactive window station, no one sees a message box";
  }
  return nullptr;
}

// Blanks and empty arguments quoted, so that a log on a share says how the run was started.
std::wstring commandLineText(const std::vector<std::wstring>& args) {
  std::wstring text;
  for (const std::wstring& arg : args) {
    if (!text.empty()) text += L' ';
    const bool quoted = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
    text += quoted ? L"\"" + arg + L"\"" : arg;
  }
  return text;
}

// "DOMAIN\name (SID)", the SID alone for an account without a name here.
std::wstring accountShown(const ProcessAccount& account) {
  if (account.name.empty()) return account.id;
  return account.id.empty() ? account.name : account.name + L" (" + account.id + L")";
}

}  // namespace

void startUp(CleanerRun& run, const std::vector<std::wstring>& args) {
  SystemServices& system = SystemServices::current();
  const RunOptions& options = run.options;
  // From here on the dialogs hold the -P switch for every part of the run, the fatal end too.
  const wchar_t* popupIgnored = whyPopupIsIgnored(options.popup);
  setMessageBoxesEnabled(options.popup && popupIgnored == nullptr);

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
  checkMessageFile(messageFileBeside(args.empty() ? std::wstring() : args[0]));

  // -M replaces whatever the configuration file named. A run that ends here still says why its
  // -P did not stand.
  if (!takeConfiguredModels(options.configFile, options.models, run.config, run.modelSet)) {
    if (popupIgnored != nullptr) detailLog().warn() << popupIgnored << endLine;
    fatalEnd(kResultReadScenario, L"");
  }

  run.optIns = removalOptInsOf(run.config);
  for (const std::wstring& line :
       {unknownOptInLine(kUnusedDriversKey, run.config.unusedDriversValue),
        unknownOptInLine(kDriverPackagesKey, run.config.driverPackagesValue)}) {
    if (!line.empty()) detailLog().error() << line << endLine;
  }

  detailLog().debug() << buildStamp() << endLine;
  if (!messageBoxesEnabled()) writeSilentModeFile(run);

  // Only after every start line that scripts read, in the order they read them: which build ran,
  // how and as whom, so that a log on a share tells, and why a -P given does not stand.
  detailLog().debug() << L"kvcleaner " << kProgramVersion << L", command line: "
                      << commandLineText(args) << L", account: "
                      << accountShown(system.processAccount()) << L", opt-ins: "
                      << optInsShown(run.optIns) << endLine;
  if (popupIgnored != nullptr) detailLog().warn() << popupIgnored << endLine;
}

}  // namespace kv
