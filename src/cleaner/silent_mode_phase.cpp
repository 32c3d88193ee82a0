// The silent-mode settings file after the first uninstall pass.
#include "cleaner/cleaning_phases.h"
#include "log/logger.h"
#include "log/maker_folder.h"
#include "messages/error_dialog.h"
#include "system/file_access.h"

namespace kv {

void removeSilentModeFile(const CleanerRun& run) {
  if (messageBoxesEnabled() || run.silentModePath.empty()) return;
  if (!run.silentModeOriginal) {
    deleteFileUnlessLinked(run.silentModePath);
    return;
  }
  const bool restored = !writeRefusedByLink(run.silentModePath) &&
                        writeWholeFile(run.silentModePath, *run.silentModeOriginal);
  LogSink& line = restored ? detailLog().debug() : detailLog().error();
  line << L"Restore File : " << run.silentModePath << endLine;
}

}  // namespace kv
