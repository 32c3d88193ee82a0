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
#include "rules/restart_owed.h"
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

// The error of the last port of `portText` this run failed to delete, if any.
std::optional<std::uint32_t> portFailure(const CleanerRun& run, const std::wstring& portText) {
  std::optional<std::uint32_t> code;
  const auto noteCode = [&](const std::wstring& port) {
    const auto found = run.portErrors.find(upperCaseCopy(port));
    if (found != run.portErrors.end()) code = found->second;
  };
  noteCode(portText);
  for (const std::wstring_view port : portsOfText(portText)) noteCode(std::wstring(port));
  return code;
}

// What the note keeps of an entry after this run: nothing when its port and driver went; else
// what is left of the two, with the error of the last failure and the time of the first, which an
// earlier run's entry carries over.
std::optional<PendingRemoval> leftOf(const CleanerRun& run, PendingRemoval entry) {
  const std::optional<std::uint32_t> portCode = portFailure(run, entry.port);
  const auto driverFailure = run.driverErrors.find(entry.driver);
  const bool driverLeft = !entry.portOnly && driverFailure != run.driverErrors.end();
  if (!driverLeft && !portCode) return std::nullopt;
  // A driver that went (or was gone: the spooler no longer knows it) is not deleted again.
  entry.portOnly = !driverLeft;
  entry.lastError = driverLeft ? driverFailure->second : *portCode;
  if (entry.failingSince.empty()) {
    entry.failingSince = isoUtcText(SystemServices::current().universalTime());
  }
  return entry;
}

const PendingRemoval* earlierEntry(const CleanerRun& run, const std::wstring& driver,
                                   const std::wstring& port) {
  for (const PendingRemoval& entry : run.pendingTaken) {
    if (entry.driver == driver && entry.port == port) return &entry;
  }
  return nullptr;
}

PendingRemoval entryOfQueue(const CleanerRun& run, std::size_t queue) {
  const PendingRemoval* earlier = earlierEntry(run, run.queueDrivers[queue], run.queuePorts[queue]);
  // A queue that is listed again holds its driver: both are left, whatever the note said.
  PendingRemoval entry{run.queueDrivers[queue], run.queuePorts[queue]};
  if (earlier != nullptr) {
    entry.lastError = earlier->lastError;
    entry.failingSince = earlier->failingSince;
  }
  return entry;
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
  std::size_t earlier = 0;
  for (const PendingRemoval& entry : note.taken) {
    // The entry of a queue that is still there (it was busy, say) comes with the queue.
    if (ofQueues.contains({entry.driver, entry.port})) continue;
    run.pendingDrivers.push_back(entry.portOnly ? std::wstring() : entry.driver);
    run.pendingPorts.push_back(entry.port);
    ++earlier;
  }
  run.pendingTaken = std::move(note.taken);
  run.pendingKept = std::move(note.kept);
  if (earlier != 0) {
    detailLog().info() << L"Ports and drivers left by an earlier run: " << earlier << endLine;
  }
}

void notePendingRemovals(CleanerRun& run) {
  if (!run.options.clean || run.pendingNoteUnread || run.queueNames.empty()) return;
  std::string bytes = encodePendingRemovals(run.pendingKept);
  std::set<std::pair<std::wstring, std::wstring>> ofQueues;
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    ofQueues.emplace(run.queueDrivers[i], run.queuePorts[i]);
  }
  for (const PendingRemoval& entry : run.pendingTaken) {
    if (!ofQueues.contains({entry.driver, entry.port})) appendPendingRemoval(bytes, entry);
  }
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    appendPendingRemoval(bytes, entryOfQueue(run, i));
  }
  writeNote(run, bytes);
}

void settlePendingRemovals(CleanerRun& run) {
  if (!run.options.clean || run.pendingNoteUnread) return;
  std::vector<PendingRemoval> staying;
  for (const PendingRemoval& entry : run.pendingKept) {
    if (!entry.package || !run.packagesTried.contains(entry.driver)) staying.push_back(entry);
  }
  staying.insert(staying.end(), run.packageFailures.begin(), run.packageFailures.end());
  std::set<std::pair<std::wstring, std::wstring>> seen;
  const auto keepFailed = [&](PendingRemoval entry) {
    if (!seen.emplace(entry.driver, entry.port).second) return;
    if (std::optional<PendingRemoval> left = leftOf(run, std::move(entry))) {
      staying.push_back(std::move(*left));
    }
  };
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) keepFailed(entryOfQueue(run, i));
  for (const PendingRemoval& entry : run.pendingTaken) keepFailed(entry);
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
