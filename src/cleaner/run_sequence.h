#pragma once

#include "cleaner/cleaner_run.h"

namespace kv {

// Walks the cleaning phases once each, in their fixed order, then writes the summary, releases
// the inventory, completes the operation log record and closes the logs. Returns the exit code:
// 0, or 1 when a driver deletion failed. A listing failure ends the process inside a phase.
int runSequence(CleanerRun& run);

}  // namespace kv
