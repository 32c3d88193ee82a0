#pragma once

#include "main/cleaner_run.h"

namespace kv {

// The phases of a cleaning run, in the order the run calls them. Each works on the run object
// only; a phase that cannot list the print objects it needs ends the process through fatalEnd
// with its result code. Without `clean` every print object's deletion is logged as done instead;
// the uninstall passes do not look at the mode.

// The maker's installer packages, first pass (product_uninstall_phase.cpp): lists the maker's
// product codes once for the whole run.
void uninstallProductsFirstPass(CleanerRun& run);

// Network printer connections (remote_queue_phase.cpp); zeroes the Q and P counts. Ends with 16.
void removeRemoteQueues(CleanerRun& run);

// Local queues that are idle (local_queue_phase.cpp); leaves the queue lists narrowed to the
// maker's queues for the port and driver phases. Ends with 17.
void removeLocalQueues(CleanerRun& run);

// The ports of the maker's queues, then those an earlier run left, each name once
// (port_phase.cpp). Ends with 18.
void removePorts(CleanerRun& run);

// The drivers of the maker's queues, then those an earlier run left, each name once; failures
// count towards the exit code (driver_phase.cpp).
void removeDrivers(CleanerRun& run);

// The maker's installer packages again, over the product codes of the first pass, after the
// drivers are gone (product_uninstall_phase.cpp).
void uninstallProductsSecondPass(CleanerRun& run);

}  // namespace kv
