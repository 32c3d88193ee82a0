#include "rules/pending_note_reading.h"

#include <optional>
#include <set>
#include <utility>

#include "system/system_services.h"

namespace kv {

PendingNoteReading readPendingRemovals(const ModelSet& models) {
  using State = PendingNoteReading::State;
  PendingNoteReading note;
  switch (SystemServices::current().readMachineValue(kPendingRemovalsValueName, note.bytes)) {
    case MachineValueRead::Missing:
      return note;
    case MachineValueRead::Failed:
      note.state = State::Failed;
      return note;
    case MachineValueRead::Denied:
      note.state = State::Failed;
      note.accessDenied = true;
      return note;
    case MachineValueRead::Read:
      break;
  }
  std::optional<std::vector<PendingRemoval>> entries = decodePendingRemovals(note.bytes);
  if (!entries) {
    note.state = State::NotANote;
    return note;
  }
  note.state = State::Read;
  const DriverFilter filter = chooseDriverFilter(models);
  std::set<std::pair<std::wstring, std::wstring>> seen;
  for (PendingRemoval& entry : *entries) {
    if (!seen.emplace(entry.driver, entry.port).second) continue;
    // A package's entry is the package phase's business, which settles it with the note.
    (!entry.package && passesDriverFilter(filter, models, entry.driver) ? note.taken : note.kept)
        .push_back(std::move(entry));
  }
  return note;
}

}  // namespace kv
