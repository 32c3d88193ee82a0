// -C and -T: the remote queue phase of a clean run, over the signed-in user's own connections.
#include "config/cleaner_config.h"
#include "disconnect/disconnect_main.h"
#include "log/log_level.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "log/maker_folder.h"
#include "log/user_log_folder.h"
#include "messages/result_codes.h"
#include "rules/configured_models.h"
#include "rules/user_connections.h"

namespace kv {
namespace {

constexpr wchar_t kDisconnectLogSuffix[] = L".KVTOOL_DISCONNECT.log";

// The detail log in the user's own profile; one behind a link is not opened, and the link is
// named once the log can take the line. Without a log the lines go to the console.
void openDetailLog(bool echo) {
  Logger& log = detailLog();
  if (echo) log.setEcho(true);
  std::wstring directory;
  if (!userLogDirectory(directory)) {
    log.setEcho(true);
    log.warn() << L"Failed to find or make the log folder %LOCALAPPDATA%\\NOVAX\\MXQLOG" << endLine;
    return;
  }
  const std::wstring path = directory + L"\\" + GetFileStamp() + kDisconnectLogSuffix;
  const std::optional<std::wstring> link = userProfileLink(path);
  // Runs started in the same second share the name: the second adds its lines behind.
  if (link || !log.open(path, LogFileOpening::Append, LinkAtPath::Refuse)) {
    log.setEcho(true);
    log.warn() << L"Failed to open log file " << path << endLine;
  }
  if (link) reportRefusedWrite(*link);
}

int finish(int exitCode) {
  Logger& log = detailLog();
  log.info() << L"KVTool disconnect finished: " << GetTimeText() << L" (" << exitCode << L")"
             << endLine;
  log.close();
  return exitCode;
}

}  // namespace

int removeUsersConnections(const DisconnectOptions& options) {
  Logger& log = detailLog();
  openDetailLog(options.echo);
  log.setLevel(options.logLevel ? levelFromName(*options.logLevel) : LogLevel::All);
  log.info() << L"KVTool disconnect started: " << GetTimeText() << endLine;

  cleanerconfig_s config;
  ModelSet models;
  if (!takeConfiguredModels(options.configFile, options.models, config, models)) {
    log.error() << L"Failed to load the configuration file " << *options.configFile << endLine;
    return finish(kResultReadScenario);
  }
  NameList names;
  NameList drivers;
  if (!listMakersConnections(models, names, drivers)) return finish(kResultEnumNetPrinters);
  const int failures = disconnectEach(names, options.action == DisconnectAction::Remove);
  return finish(failures > 0 ? 1 : 0);
}

}  // namespace kv
