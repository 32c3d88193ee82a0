#pragma once

#include <string>
#include <vector>

#include "config/pending_removals_note.h"
#include "rules/driver_filter.h"

namespace kv {

// The note of pending removals an earlier run left, read and sorted by this run's filter;
// nothing is written. The cleaner takes it over, kvcheck shows it.
struct PendingNoteReading {
  enum class State {
    Missing,   // no note
    Failed,    // there, but it cannot be read
    NotANote,  // read, but its bytes are not a note
    Read,
  };
  State state = State::Missing;
  bool accessDenied = false;  // Failed for lack of the right to read it
  std::string bytes;          // as read (NotANote and Read)
  // Read: the entries whose driver passes the filter, and the others, each entry once, in the
  // note's order.
  std::vector<PendingRemoval> taken;
  std::vector<PendingRemoval> kept;
};

PendingNoteReading readPendingRemovals(const ModelSet& models);

}  // namespace kv
