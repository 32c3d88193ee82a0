#pragma once

#include "main/cleaner_run.h"

namespace kv {

// A run deletes the maker's queues before their ports and drivers, and later runs find ports and
// drivers only through queues. So a real run notes the ports and drivers of the maker's queues in
// the machine value kPendingRemovalsValueName (where only administrators may write) before it
// deletes the first queue, and removes the note once the driver phase has been through them. A
// run cut short in between leaves the note, and the next run takes its entries over.

// Reads a note an earlier run left. Entries whose driver passes this run's filter are added to
// `run.pendingPorts` and `run.pendingDrivers`, each entry once; the others are kept for a later
// run. A note that cannot be understood is reported; a real run keeps its content under another
// value name, with the time, and goes on as without a note. A note that cannot be read at all, or
// not be kept aside, is left alone for the whole run. Both modes.
void takeOverPendingRemovals(CleanerRun& run);

// Real runs with maker's queues to delete: writes the note with the entries taken over, those
// kept, and the driver and port of each queue in `run.queueNames`. A note that cannot be written
// is reported; the run goes on.
void notePendingRemovals(CleanerRun& run);

// Real runs, after the driver phase: the note keeps only the entries for models this run did not
// clean, and is deleted when there are none.
void settlePendingRemovals(CleanerRun& run);

}  // namespace kv
