#include "main/pending_removals.h"

#include <optional>
#include <string>

#include "config/pending_removals_file.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "main/all_users_links.h"
#include "main/driver_filter.h"
#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

std::optional<std::wstring> notePath() {
  const std::optional<std::wstring> folder = makerFolder();
  if (!folder) return std::nullopt;
  return *folder + L"\\" + kPendingRemovalsFileName;
}

void writeNote(const std::wstring& path, const std::string& bytes) {
  if (writeRefusedByLink(path)) return;
  makeProtectedLevel(*makerFolder());
  if (!writeWholeFile(path, bytes)) {
    detailLog().warn() << L"Failed to write pending removals file " << path << endLine;
  }
}

}  // namespace

void takeOverPendingRemovals(CleanerRun& run) {
  const std::optional<std::wstring> path = notePath();
  if (!path || !SystemServices::current().pathExists(*path)) return;
  std::string bytes;
  std::optional<std::vector<PendingRemoval>> entries;
  if (readWholeFile(*path, kNoSizeLimit, bytes) == FileReadResult::Read) {
    entries = decodePendingRemovals(bytes);
  }
  if (!entries) {
    detailLog().warn() << L"Failed to read pending removals file " << *path << endLine;
    run.pendingNoteUnread = true;
    return;
  }
  const DriverFilter filter = chooseDriverFilter(run.modelSet);
  for (PendingRemoval& entry : *entries) {
    if (passesDriverFilter(filter, run.modelSet, entry.driver)) {
      run.pendingDrivers.push_back(std::move(entry.driver));
      run.pendingPorts.push_back(std::move(entry.port));
    } else {
      run.pendingKept.push_back(std::move(entry));
    }
  }
  if (!run.pendingDrivers.empty()) {
    detailLog().info() << L"Ports and drivers left by an unfinished run: "
                       << run.pendingDrivers.size() << endLine;
  }
}

void notePendingRemovals(CleanerRun& run) {
  const std::optional<std::wstring> path = notePath();
  if (!run.options.clean || !path || run.pendingNoteUnread || run.queueNames.empty()) return;
  std::string bytes = encodePendingRemovals(run.pendingKept);
  for (std::size_t i = 0; i < run.pendingDrivers.size(); ++i) {
    appendPendingRemoval(bytes, run.pendingDrivers[i], run.pendingPorts[i]);
  }
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    appendPendingRemoval(bytes, run.queueDrivers[i], run.queuePorts[i]);
  }
  writeNote(*path, bytes);
}

void settlePendingRemovals(CleanerRun& run) {
  const std::optional<std::wstring> path = notePath();
  if (!run.options.clean || !path || run.pendingNoteUnread ||
      !SystemServices::current().pathExists(*path)) {
    return;
  }
  if (run.pendingKept.empty()) {
    deleteFileUnlessLinked(*path);
  } else {
    writeNote(*path, encodePendingRemovals(run.pendingKept));
  }
}

}  // namespace kv
