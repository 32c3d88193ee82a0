// The silent-mode settings file: written at start-up, removed after the first uninstall pass.
#include <optional>
#include <string>
#include <utility>

#include "cleaner/cleaning_phases.h"
#include "config/silent_mode_file.h"
#include "log/logger.h"
#include "log/maker_folder.h"
#include "messages/error_dialog.h"
#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

// Held from before the file is looked at until it is removed, so that a run started meanwhile
// does not take this run's file for one that was there before.
constexpr wchar_t kSettingsFileLock[] = L"kvcleaner KVXCLEAN.ini";

// Beside the note of pending removals: the bytes of a settings file that was there before a run
// merged its value into it, until they are back. A run stopped in between leaves them to the next.
constexpr wchar_t kSettingsOriginalValue[] = L"KVXCLEAN.ini original";

// What to put back after the first pass into `original`: nothing when the file is to be deleted
// (none there, or one holding exactly what the cleaner writes, left by a run stopped during the
// pass). Bytes an earlier run kept aside come first: the file there now is that run's merge.
// False when the file is to be left alone: what stands there cannot be read, or its bytes cannot
// be kept where a later run finds them.
bool keepOriginal(const std::wstring& path, std::optional<std::string>& original) {
  SystemServices& system = SystemServices::current();
  std::string bytes;
  switch (system.readMachineValue(kSettingsOriginalValue, bytes)) {
    case MachineValueRead::Read:
      original = std::move(bytes);
      return true;
    case MachineValueRead::Failed:
    case MachineValueRead::Denied:
      return false;
    case MachineValueRead::Missing:
      break;
  }
  if (!system.pathExists(path)) return true;
  if (readWholeFile(path, kNoSizeLimit, bytes) != FileReadResult::Read) return false;
  const std::string own = newSilentModeFileBytes();
  if (!own.empty() && bytes == own) return true;
  if (!system.writeMachineValue(kSettingsOriginalValue, bytes)) {
    detailLog().error() << L"Failed to keep a copy of " << path << L" in " << kMachineValuesKey
                        << L"\\" << kSettingsOriginalValue << endLine;
    return false;
  }
  original = std::move(bytes);
  return true;
}

}  // namespace

void writeSilentModeFile(CleanerRun& run) {
  const std::optional<std::wstring> path = silentModeFilePath();
  if (!path) return;
  run.silentModeLock = SystemServices::current().tryMachineLock(kSettingsFileLock);
  if (!run.silentModeLock) {
    detailLog().warn() << L"Settings file left to another run: " << *path << endLine;
    return;
  }
  run.silentModePath = *path;
  // With -D nothing has made the maker's folder yet; without the file the uninstallers may each
  // wait on a window nobody sees.
  makeMakerFolder();
  bool written = false;
  bool leftAlone = false;
  if (!writeRefusedByLink(run.silentModePath)) {
    leftAlone = !keepOriginal(*path, run.silentModeOriginal);
    if (!leftAlone) written = writeSilentModeINIFile(run.silentModePath, messageBoxesEnabled());
  }
  LogSink& line = written ? detailLog().debug() : detailLog().error();
  line << L"Create File : " << *path << endLine;
  if (leftAlone) {
    run.silentModePath.clear();
    run.silentModeLock.reset();
  }
}

void removeSilentModeFile(CleanerRun& run) {
  if (messageBoxesEnabled() || run.silentModePath.empty()) return;
  if (!run.silentModeOriginal) {
    deleteFileUnlessLinked(run.silentModePath);
  } else {
    const bool restored = !writeRefusedByLink(run.silentModePath) &&
                          writeWholeFile(run.silentModePath, *run.silentModeOriginal);
    LogSink& line = restored ? detailLog().debug() : detailLog().error();
    line << L"Restore File : " << run.silentModePath << endLine;
    // Until they are back, a later run finds them there.
    if (restored) SystemServices::current().deleteMachineValue(kSettingsOriginalValue);
  }
  run.silentModeLock.reset();
}

}  // namespace kv
