// The entries of the note of pending removals an earlier run left: read, never written.
#include "check/check_run.h"
#include "config/pending_removals_note.h"
#include "rules/pending_note_reading.h"

namespace kv {
namespace {

void addEntry(CheckRun& run, const PendingRemoval& entry, const wchar_t* decision) {
  CheckedObject object{entry.driver, decision};
  if (*decision == L't') {
    noteWhyChosen(run, entry.driver, object);
  } else {
    // Only a run with other models takes it up: a clean run with these options leaves it.
    object.why = L"a model this run does not clean; kept for a later run";
  }
  object.facts.emplace_back("port", entry.port);
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
    run.pendingDrivers.push_back(entry.driver);
    run.pendingPorts.push_back(entry.port);
  }
  for (const PendingRemoval& entry : note.kept) addEntry(run, entry, L"keep");
  return 0;
}

}  // namespace kv
