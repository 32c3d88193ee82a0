#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check/check_report.h"
#include "config/cleaner_config.h"
#include "config/pending_removals_note.h"
#include "rules/driver_filter.h"
#include "rules/ports_in_use.h"
#include "spooler/name_list.h"

namespace kv {

// What the check reads, held as a clean run's phases hold it, and the report it builds.
struct CheckRun {
  cleanerconfig_s config;
  ModelSet modelSet;
  NameList queueNames;  // the maker's queues, parallel to their drivers and port texts
  NameList queueDrivers;
  NameList queuePorts;
  PortsInUse otherQueuesPorts;
  // The drivers of the maker's queues that a clean run leaves (busy or printing), with one such
  // queue each: the spooler refuses to delete a driver a queue uses.
  std::map<std::wstring, std::wstring> stayingQueueOfDriver;
  NameList pendingPorts;  // entries of an earlier run's note that this run takes
  NameList pendingDrivers;
  // The note's entries of packages an earlier run failed to remove.
  std::vector<PendingRemoval> pendingPackages;
  CheckReport report;
};

// Each step reads one kind of object the way a clean run does, in a clean run's order, and adds
// what it finds to the report; it changes nothing. 0, or the exit code of a listing that failed,
// whose line has gone to standard error.
int checkPackages(CheckRun& run);
int checkConnections(CheckRun& run);
int checkMachineConnections(CheckRun& run);  // check_connections.cpp
int checkQueues(CheckRun& run);
int checkPendingRemovals(CheckRun& run);
int checkPorts(CheckRun& run);
int checkDrivers(CheckRun& run);
// After the drivers, whose decisions it reads (check_driver_packages.cpp).
int checkDriverPackages(CheckRun& run);

// The line of a listing that failed, on standard error; returns `code`.
int listingFailed(int code, const wchar_t* line);
// The line the last failed listing wrote, for the report that says the check could not finish.
const std::wstring& lastListingFailure();

// Why the filter chose an object with this driver; without models also the brand text it found.
void noteWhyChosen(const CheckRun& run, const std::wstring& driver, CheckedObject& object);

}  // namespace kv
