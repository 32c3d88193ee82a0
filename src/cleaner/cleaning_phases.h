#pragma once

#include "cleaner/cleaner_run.h"

namespace kv {

// The phases of a cleaning run, in the order the run calls them. Each works on the run object
// only; a phase that cannot list the print objects it needs ends the process through fatalEnd
// with its result code. Without `clean` every print object's deletion is logged as done instead;
// the uninstall passes do not look at the mode.

// The maker's installer packages, first pass (product_uninstall_phase.cpp): lists the maker's
// product codes once for the whole run.
void uninstallProductsFirstPass(CleanerRun& run);

// The silent-mode settings file lives only while the first uninstall pass runs: one this run made
// (or an earlier run left with exactly the cleaner's bytes) is deleted, one that was there gets
// its bytes back, which are kept in a machine value until then (silent_mode_phase.cpp). With
// message boxes on (-P) the file is none of this run's business. Nothing is written or deleted
// through a planted link. A run holds a machine-wide lock from writing to removing it; a run that
// finds the lock taken leaves the file to the run that holds it.

// At start-up: makes the maker's folder when missing and writes the file there.
void writeSilentModeFile(CleanerRun& run);

// After the first uninstall pass: deletes the file or puts its bytes back, and gives the lock back.
void removeSilentModeFile(CleanerRun& run);

// Network printer connections (remote_queue_phase.cpp); zeroes the Q and P counts. Ends with 16.
void removeRemoteQueues(CleanerRun& run);

// The per-machine connections whose print server names one of the maker's drivers
// (machine_connection_phase.cpp). A connection whose server does not answer stays; a removal
// that fails adds 1 to Q; a listing that fails is an Error line. The run goes on in every case.
void removeMachineConnections(CleanerRun& run);

// Lists the local queues and narrows the queue lists to the maker's queues, for the note of
// pending removals and the phases after it (local_queue_phase.cpp). Ends with 17.
void listLocalQueues(CleanerRun& run);

// A run deletes the maker's queues before their ports and drivers, and later runs find ports and
// drivers only through queues. So a real run notes the ports and drivers of the maker's queues in
// the machine value kPendingRemovalsValueName (where only administrators may write) before it
// deletes the first queue, and once the driver phase has been through them keeps only the entries
// whose port or driver it failed to delete. A run cut short in between leaves the whole note, and
// the next run takes its entries over (pending_removals.cpp).

// Reads a note an earlier run left. Entries whose driver passes this run's filter are added to
// `run.pendingPorts` and `run.pendingDrivers`, each entry once and none that a listed queue of the
// maker brings anyway; the others are kept for a later run. A note that cannot be understood is
// reported; a real run keeps its content under another value name, with the time (and a number
// when that name is taken), and goes on as without a note. A note that cannot be read at all, or
// not be kept aside, is left alone for the whole run. Both modes.
void takeOverPendingRemovals(CleanerRun& run);

// Real runs with maker's queues to delete: writes the note with the entries taken over, those
// kept, and the driver and port of each queue in `run.queueNames`. A note that cannot be written
// is reported; the run goes on.
void notePendingRemovals(CleanerRun& run);

// The listed maker's queues that are idle (local_queue_phase.cpp); a queue that stays keeps its
// port and driver in the lists for the port and driver phases.
void removeLocalQueues(CleanerRun& run);

// The ports of the maker's queues, then those an earlier run left, each name once; Windows' own
// ports and those other queues use stay (port_phase.cpp). Ends with 18.
void removePorts(CleanerRun& run);

// The drivers of the maker's queues, then those an earlier run left, each name once; failures
// count towards the exit code (driver_phase.cpp).
void removeDrivers(CleanerRun& run);

// With UnusedDrivers=Remove in the -F file: the maker's drivers the filter chooses that no local
// queue or connection uses, in every environment the spooler serves; failures count towards the
// exit code (driver_store_phase.cpp).
void removeUnusedDrivers(CleanerRun& run);

// With DriverPackages=Remove: the maker's packages in the driver store that no installed driver
// uses any more, through the spooler's removal, else (127) the setup library's, never forced. A
// package still listed after its removal is a failure: counted, and kept in the note.
void removeDriverPackages(CleanerRun& run);

// Real runs, after the driver phase: the note keeps the entries for models this run did not clean
// and those whose port or driver this run failed to delete (only the port when the driver went),
// each with the error of the last failure and the time of the first, and the packages the
// package phase failed to remove; it is deleted when there are none (pending_removals.cpp).
void settlePendingRemovals(CleanerRun& run);

// The maker's installer packages again, over the product codes of the first pass, after the
// drivers are gone (product_uninstall_phase.cpp).
void uninstallProductsSecondPass(CleanerRun& run);

}  // namespace kv
