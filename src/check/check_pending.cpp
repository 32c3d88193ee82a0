// The entries of the note of pending removals an earlier run left: read, never written.
#include <cstdint>
#include <string>
#include <utility>

#include "check/check_run.h"
#include "config/pending_removals_note.h"
#include "rules/pending_note_reading.h"

namespace kv {
namespace {

// The error and what it means for a port or driver, in a few words where the code is a known one.
std::wstring errorText(std::uint32_t code) {
  static constexpr std::pair<std::uint32_t, const wchar_t*> kShortTexts[] = {
      {2, L"not found"},          {5, L"access denied"},   {87, L"invalid parameter"},
      {170, L"in use"},           {1796, L"unknown port"}, {1797, L"unknown driver"},
      {1801, L"unknown printer"}, {3001, L"in use"},
  };
  for (const auto& [known, text] : kShortTexts) {
    if (code == known) return std::to_wstring(code) + L": " + text;
  }
  return std::to_wstring(code);
}

// What still holds the entry's driver where the check sees it: a queue of the maker that stays,
// or a connection to one.
std::wstring holderOf(const CheckRun& run, const std::wstring& driver) {
  if (const auto queue = run.stayingQueueOfDriver.find(driver);
      queue != run.stayingQueueOfDriver.end()) {
    return L"queue " + queue->second;
  }
  for (const auto& [kind, what] :
       {std::pair{CheckedKind::Connections, L"connection "},
        std::pair{CheckedKind::MachineConnections, L"per-machine connection "}}) {
    for (const CheckedObject& connection : run.report.objects[static_cast<std::size_t>(kind)]) {
      for (const auto& [key, value] : connection.facts) {
        if (key == "driver" && value == driver) return what + connection.name;
      }
    }
  }
  return {};
}

void addEntry(CheckRun& run, const PendingRemoval& entry, const wchar_t* decision) {
  CheckedObject object{entry.driver, decision};
  if (*decision == L't') {
    noteWhyChosen(run, entry.driver, object);
  } else {
    // Only a run with other models takes it up: a clean run with these options leaves it.
    object.why = L"a model this run does not clean; kept for a later run";
  }
  if (entry.portOnly) object.why += L"; only the port is left, the driver went";
  if (entry.lastError != 0) {
    const std::wstring since = entry.failingSince.empty() ? L"" : L" since " + entry.failingSince;
    object.why += L"; failed" + since + L" with " + errorText(entry.lastError);
  }
  const std::wstring holder = entry.portOnly ? std::wstring() : holderOf(run, entry.driver);
  if (!holder.empty()) object.why += L"; " + holder + L" holds the driver";
  object.facts.emplace_back("port", entry.port);
  if (entry.portOnly) object.facts.emplace_back("left", L"port");
  if (entry.lastError != 0) {
    object.facts.emplace_back("lastError", std::to_wstring(entry.lastError));
    object.facts.emplace_back("failingSince", entry.failingSince);
  }
  if (!holder.empty()) object.facts.emplace_back("heldBy", holder);
  run.report.of(CheckedKind::PendingRemovals).push_back(std::move(object));
}

}  // namespace

int checkPendingRemovals(CheckRun& run) {
  const PendingNoteReading note = readPendingRemovals(run.modelSet);
  if (note.state == PendingNoteReading::State::Missing) return 0;
  if (note.accessDenied) {
    // The cleaner, run as an administrator, reads it: what it then takes cannot be told here.
    CheckedObject unread{kPendingRemovalsValueName, L"unknown"};
    unread.why = L"the note cannot be read: access denied: run kvcheck as an administrator to see";
    unread.error = 5;
    run.report.of(CheckedKind::PendingRemovals).push_back(std::move(unread));
    return 0;
  }
  if (note.state != PendingNoteReading::State::Read) {
    CheckedObject unread{kPendingRemovalsValueName, L"keep"};
    unread.why = note.state == PendingNoteReading::State::Failed
                     ? L"the note cannot be read; a clean run leaves it alone"
                     : L"not a note of the cleaner; a clean run keeps its bytes under another name";
    run.report.of(CheckedKind::PendingRemovals).push_back(std::move(unread));
    return 0;
  }
  for (const PendingRemoval& entry : note.taken) {
    addEntry(run, entry, L"take");
    if (!entry.portOnly) run.pendingDrivers.push_back(entry.driver);
    run.pendingPorts.push_back(entry.port);
  }
  for (const PendingRemoval& entry : note.kept) {
    // A package's entry is shown with the package, which the store lists.
    if (entry.package) {
      run.pendingPackages.push_back(entry);
      continue;
    }
    addEntry(run, entry, L"keep");
  }
  return 0;
}

}  // namespace kv
