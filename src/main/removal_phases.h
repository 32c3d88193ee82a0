#pragma once

#include "main/cleaner_run.h"

namespace kv {

// The phases that remove the maker's print objects, in the order the run calls them. Each works
// on the run object only; a phase that cannot list what it needs ends the process through
// fatalEnd with its result code. Without `clean` every deletion is logged as done instead.

// Network printer connections (remote_queue_phase.cpp); zeroes the Q and P counts. Ends with 16.
void removeRemoteQueues(CleanerRun& run);

// Local queues that are idle (local_queue_phase.cpp); leaves the queue lists narrowed to the
// maker's queues for the port and driver phases. Ends with 17.
void removeLocalQueues(CleanerRun& run);

// The ports of the maker's queues, each name once (port_phase.cpp). Ends with 18.
void removePorts(CleanerRun& run);

// The drivers of the maker's queues, each name once; failures count towards the exit code
// (driver_phase.cpp).
void removeDrivers(CleanerRun& run);

}  // namespace kv
