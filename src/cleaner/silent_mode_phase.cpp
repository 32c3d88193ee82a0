// The silent-mode settings file: written at start-up, removed after the first uninstall pass.
#include <cstdint>
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

// Beside the settings file, held from before the file is looked at until it is removed, so that a
// run started meanwhile does not take this run's file for one that was there before. Only the
// system and administrators may make a file in the maker's folder, so nobody else can hold it.
constexpr wchar_t kSettingsLockSuffix[] = L".lock";

// Beside the note of pending removals: the bytes of a settings file that was there before a run
// merged its value into it, until they are back, and the bytes that run wrote, by which a later
// run tells its file from one an administrator has written since. A run stopped in between leaves
// them to the next.
constexpr wchar_t kSettingsOriginalValue[] = L"KVXCLEAN.ini original";
constexpr wchar_t kSettingsWrittenValue[] = L"KVXCLEAN.ini written";

// Larger than any settings file of the maker's: a saved value beyond it is not one.
constexpr std::uint64_t kSavedSettingsLimit = 64 * 1024;

std::wstring valuePath(const wchar_t* name) {
  return std::wstring(kMachineValuesKey) + L"\\" + name;
}

void dropValue(const wchar_t* name) {
  if (!SystemServices::current().deleteMachineValue(name)) {
    detailLog().warn() << L"Failed to remove " << valuePath(name) << endLine;
  }
}

void dropSaved() {
  dropValue(kSettingsOriginalValue);
  dropValue(kSettingsWrittenValue);
}

enum class Saved { Missing, Read, Unfit, Failed };

// A saved value that can be a settings file: binary, and no larger than kSavedSettingsLimit.
Saved readSaved(const wchar_t* name, std::string& bytes) {
  SystemServices& system = SystemServices::current();
  MachineValueShape shape;
  switch (system.machineValueShape(name, shape)) {
    case MachineValueRead::Missing:
      return Saved::Missing;
    case MachineValueRead::Failed:
    case MachineValueRead::Denied:
      return Saved::Failed;
    case MachineValueRead::Read:
      break;
  }
  if (shape.type != MachineValueType::Binary || shape.size > kSavedSettingsLimit) {
    return Saved::Unfit;
  }
  if (system.readMachineValue(name, bytes) != MachineValueRead::Read) return Saved::Failed;
  return bytes.size() > kSavedSettingsLimit ? Saved::Unfit : Saved::Read;
}

// True when the file at `path` holds exactly `written`.
bool stillHolds(const std::wstring& path, const std::string& written) {
  std::string bytes;
  return readWholeFile(path, kSavedSettingsLimit, bytes) == FileReadResult::Read &&
         bytes == written;
}

void reportChanged(const std::wstring& path) {
  detailLog().warn() << L"Settings file changed since a run of ours wrote it, kept as it stands: "
                     << path << endLine;
}

// What to put back after the first pass into `original`: nothing when the file is to be deleted
// (none there, or one holding exactly what a run of ours wrote, left by a run stopped during the
// pass). Bytes an earlier run kept aside come first while the file still holds what that run
// wrote; once an administrator has rewritten or deleted it, theirs stands. False when the file is
// to be left alone: what stands there cannot be read, or its bytes cannot be kept where a later
// run finds them.
bool keepOriginal(const std::wstring& path, std::optional<std::string>& original) {
  SystemServices& system = SystemServices::current();
  std::string bytes;
  std::string written;
  bool writtenKnown = readSaved(kSettingsWrittenValue, written) == Saved::Read;
  switch (readSaved(kSettingsOriginalValue, bytes)) {
    case Saved::Failed:
      return false;
    case Saved::Unfit:
      detailLog().warn() << L"Saved settings file is not one, dropped: "
                         << valuePath(kSettingsOriginalValue) << endLine;
      dropSaved();
      writtenKnown = false;  // what stands there is kept and given back as it is
      break;
    case Saved::Read:
      if (writtenKnown && stillHolds(path, written)) {
        original = std::move(bytes);
        return true;
      }
      reportChanged(path);
      dropSaved();
      break;
    case Saved::Missing:
      break;
  }
  if (!system.pathExists(path)) return true;
  if (readWholeFile(path, kNoSizeLimit, bytes) != FileReadResult::Read) return false;
  const std::string own = newSilentModeFileBytes();
  if ((!own.empty() && bytes == own) || (writtenKnown && bytes == written)) return true;
  if (!system.writeMachineValue(kSettingsOriginalValue, bytes)) {
    detailLog().error() << L"Failed to keep a copy of " << path << L" in "
                        << valuePath(kSettingsOriginalValue) << endLine;
    return false;
  }
  original = std::move(bytes);
  return true;
}

// True when this run may go on to write the settings file.
bool takeSettingsLock(CleanerRun& run, const std::wstring& path) {
  const std::wstring lock = path + kSettingsLockSuffix;
  // A link on the way is refused by the write itself, with its own line.
  if (linkBelowAllUsersProfile(lock)) return true;
  FileLockAttempt attempt = SystemServices::current().tryFileLock(lock);
  switch (attempt.found) {
    case FileLockFound::Made:
      break;
    case FileLockFound::HeldByOurs:
      detailLog().warn() << L"Settings file left to another run: " << path << endLine;
      return false;
    case FileLockFound::TakenOver:
      detailLog().warn() << L"Settings lock left by something not ours, taken over: " << lock
                         << endLine;
      break;
    case FileLockFound::HeldByStranger:
      detailLog().warn() << L"Settings lock held by something not ours, ignored: " << lock
                         << endLine;
      break;
    case FileLockFound::Failed:
      detailLog().warn() << L"Settings lock cannot be taken, ignored: " << lock << endLine;
      break;
  }
  run.silentModeLock = std::move(attempt.lock);
  return true;
}

}  // namespace

void writeSilentModeFile(CleanerRun& run) {
  const std::optional<std::wstring> path = silentModeFilePath();
  if (!path) return;
  // With -D nothing has made the maker's folder yet; without the file the uninstallers may each
  // wait on a window nobody sees.
  makeMakerFolder();
  if (!takeSettingsLock(run, *path)) return;
  run.silentModePath = *path;
  bool written = false;
  bool leftAlone = false;
  if (!writeRefusedByLink(run.silentModePath)) {
    leftAlone = !keepOriginal(*path, run.silentModeOriginal);
    // The bytes are known before they are on disk: a run stopped in between leaves a file that
    // is either the one before or exactly these.
    const auto keepWritten = [&run](const std::string& bytes) {
      if (!SystemServices::current().writeMachineValue(kSettingsWrittenValue, bytes)) {
        detailLog().error() << L"Failed to keep a copy of " << run.silentModePath << L" in "
                            << valuePath(kSettingsWrittenValue) << endLine;
        return false;
      }
      run.silentModeWritten = bytes;
      return true;
    };
    if (!leftAlone) {
      written = writeSilentModeINIFile(run.silentModePath, messageBoxesEnabled(), keepWritten);
    }
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
  const std::wstring& path = run.silentModePath;
  SystemServices& system = SystemServices::current();
  if (!run.silentModeOriginal) {
    if (!linkBelowAllUsersProfile(path) && system.pathExists(path) &&
        !stillHolds(path, run.silentModeWritten)) {
      reportChanged(path);
    } else {
      deleteFileUnlessLinked(path);
    }
    dropValue(kSettingsWrittenValue);
  } else if (writeRefusedByLink(path)) {
    // Until they are back, a later run finds them there.
    detailLog().error() << L"Restore File : " << path << endLine;
  } else if (!stillHolds(path, run.silentModeWritten)) {
    reportChanged(path);
    dropSaved();
  } else {
    const bool restored = writeWholeFile(path, *run.silentModeOriginal);
    LogSink& line = restored ? detailLog().debug() : detailLog().error();
    line << L"Restore File : " << path << endLine;
    if (restored) dropSaved();
  }
  run.silentModeLock.reset();
}

}  // namespace kv
