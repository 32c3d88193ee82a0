// The note of pending removals: taken over, written and settled.
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "cleaner/cleaning_phases.h"
#include "config/pending_removals_note.h"
#include "log/logger.h"
#include "rules/pending_note_reading.h"
#include "spooler/port_names.h"
#include "system/system_services.h"

namespace kv {
namespace {

std::wstring valuePath(const std::wstring& name) {
  return std::wstring(kMachineValuesKey) + L"\\" + name;
}

const std::wstring& notePath() {
  static const std::wstring path = valuePath(kPendingRemovalsValueName);
  return path;
}

void writeNote(CleanerRun& run, const std::string& bytes) {
  if (SystemServices::current().writeMachineValue(kPendingRemovalsValueName, bytes)) {
    run.pendingNoteStored = true;
  } else {
    detailLog().warn() << L"Failed to write pending removals " << notePath() << endLine;
  }
}

// Names tried for one time stamp: the name itself, then " (2)" to " (100)".
constexpr int kAsideNames = 100;

// "PendingRemovals unreadable 20261206 140500": the note's name with the time it was set aside;
// " (2)", " (3)" and so on behind it when a note was set aside under that name before. nullopt,
// with an Error line, when every name tried is taken.
std::optional<std::wstring> asideName() {
  SystemServices& system = SystemServices::current();
  const LocalTime now = system.localTime();
  wchar_t stamp[32] = {};
  std::swprintf(stamp, sizeof stamp / sizeof stamp[0], L" unreadable %04d%02d%02d %02d%02d%02d",
                now.year, now.month, now.day, now.hour, now.minute, now.second);
  const std::wstring name = kPendingRemovalsValueName + std::wstring(stamp);
  std::string ignored;
  std::wstring unique = name;
  for (int copy = 2; copy <= kAsideNames + 1; ++copy) {
    if (system.readMachineValue(unique, ignored) == MachineValueRead::Missing) return unique;
    unique = name + L" (" + std::to_wstring(copy) + L")";
  }
  detailLog().error() << L"No free name to set pending removals aside as " << valuePath(name)
                      << L" (" << kAsideNames << L" taken)" << endLine;
  return std::nullopt;
}

// A note that is not one is never taken over, but not lost either: a real run keeps its bytes
// under another name and then writes its own note as usual. Otherwise it stays as it is.
void setAside(CleanerRun& run, const std::string& bytes) {
  SystemServices& system = SystemServices::current();
  const std::optional<std::wstring> aside =
      run.options.clean ? asideName() : std::optional<std::wstring>();
  if (aside && system.writeMachineValue(*aside, bytes) &&
      system.deleteMachineValue(kPendingRemovalsValueName)) {
    detailLog().warn() << L"Failed to read pending removals " << notePath() << L", kept as "
                       << valuePath(*aside) << endLine;
    return;
  }
  detailLog().warn() << L"Failed to read pending removals " << notePath() << endLine;
  run.pendingNoteUnread = true;
}

// Whether this run failed to delete the driver or a port of an entry: the whole entry then stays,
// and the next run tries both again (a port or driver that is gone by then is passed over).
bool failedIn(const CleanerRun& run, const std::wstring& driver, const std::wstring& portText) {
  if (run.driversFailed.contains(driver) || run.portsFailed.contains(portText)) return true;
  for (const std::wstring_view port : portsOfText(portText)) {
    if (run.portsFailed.contains(std::wstring(port))) return true;
  }
  return false;
}

}  // namespace

void takeOverPendingRemovals(CleanerRun& run) {
  PendingNoteReading note = readPendingRemovals(run.modelSet);
  switch (note.state) {
    case PendingNoteReading::State::Missing:
      return;
    case PendingNoteReading::State::Failed:
      detailLog().warn() << L"Failed to read pending removals " << notePath() << endLine;
      run.pendingNoteUnread = true;
      return;
    case PendingNoteReading::State::NotANote:
      setAside(run, note.bytes);
      return;
    case PendingNoteReading::State::Read:
      break;
  }
  run.pendingNoteStored = true;
  std::set<std::pair<std::wstring, std::wstring>> ofQueues;
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    ofQueues.emplace(run.queueDrivers[i], run.queuePorts[i]);
  }
  for (PendingRemoval& entry : note.taken) {
    // The entry of a queue that is still there (it was busy, say) comes with the queue.
    if (ofQueues.contains({entry.driver, entry.port})) continue;
    run.pendingDrivers.push_back(std::move(entry.driver));
    run.pendingPorts.push_back(std::move(entry.port));
  }
  run.pendingKept = std::move(note.kept);
  if (!run.pendingDrivers.empty()) {
    detailLog().info() << L"Ports and drivers left by an unfinished run: "
                       << run.pendingDrivers.size() << endLine;
  }
}

void notePendingRemovals(CleanerRun& run) {
  if (!run.options.clean || run.pendingNoteUnread || run.queueNames.empty()) return;
  std::string bytes = encodePendingRemovals(run.pendingKept);
  for (std::size_t i = 0; i < run.pendingDrivers.size(); ++i) {
    appendPendingRemoval(bytes, run.pendingDrivers[i], run.pendingPorts[i]);
  }
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    appendPendingRemoval(bytes, run.queueDrivers[i], run.queuePorts[i]);
  }
  writeNote(run, bytes);
}

void settlePendingRemovals(CleanerRun& run) {
  if (!run.options.clean || run.pendingNoteUnread) return;
  std::vector<PendingRemoval> staying = run.pendingKept;
  std::set<std::pair<std::wstring, std::wstring>> seen;
  const auto keepFailed = [&](const std::wstring& driver, const std::wstring& port) {
    if (!failedIn(run, driver, port) || !seen.emplace(driver, port).second) return;
    staying.push_back({driver, port});
  };
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    keepFailed(run.queueDrivers[i], run.queuePorts[i]);
  }
  for (std::size_t i = 0; i < run.pendingDrivers.size(); ++i) {
    keepFailed(run.pendingDrivers[i], run.pendingPorts[i]);
  }
  if (!staying.empty()) {
    writeNote(run, encodePendingRemovals(staying));
    return;
  }
  if (!run.pendingNoteStored) return;
  detailLog().debug() << L"Delete pending removals : " << notePath() << endLine;
  if (!SystemServices::current().deleteMachineValue(kPendingRemovalsValueName)) {
    detailLog().warn() << L"Failed to delete pending removals " << notePath() << endLine;
  }
}

}  // namespace kv
