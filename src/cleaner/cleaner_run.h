#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cleaner/run_options.h"
#include "config/cleaner_config.h"
#include "config/pending_removals_note.h"
#include "rules/driver_filter.h"
#include "rules/ports_in_use.h"
#include "rules/removal_opt_ins.h"
#include "spooler/name_list.h"
#include "spooler/port_info.h"
#include "system/system_services.h"

namespace kv {

// The run-wide state that start-up fills and the phases share. The three logs, the operation
// log record and the spooler's last error code stay process-wide.
struct CleanerRun {
  RunOptions options;

  // Failed driver deletions and, in a clean run, the chosen packages still installed at the end:
  // decides OK or NG and the exit code.
  std::int32_t failureCount = 0;
  // Failed connection and queue removals, and queues found busy or printing.
  std::int32_t qCount = 0;
  // Failed port removals.
  std::int32_t pCount = 0;

  // The models to clean (-F, then -M) and the set built from them; the set chooses the filter.
  cleanerconfig_s config;
  ModelSet modelSet;
  // What the -F file asks beyond the models: unused drivers, driver store packages.
  RemovalOptIns optIns;

  // The maker's installer packages, listed by the first uninstall pass and reused by the second.
  std::vector<std::wstring> productCodes;
  // The codes of those an uninstall pass chose, until a pass finds them gone.
  std::set<std::wstring> productsChosen;
  // The codes of those whose uninstaller ran into the limit: not started a second time.
  std::set<std::wstring> productsHung;

  std::wstring operationLogPath;
  // %ALLUSERSPROFILE%\NOVAX\KVXCLEAN.ini; empty with -P, without the variable, when another run
  // holds the file, or when a file there could not be read or kept aside (it is then left alone).
  std::wstring silentModePath;
  // The bytes of a settings file that was there before the run: put back after the first
  // uninstall pass instead of deleting the file.
  std::optional<std::string> silentModeOriginal;
  // The bytes this run wrote there: only a file that still holds them is put back or deleted.
  std::string silentModeWritten;
  // Held while this run's settings file is on disk.
  std::unique_ptr<MachineLock> silentModeLock;

  // Parallel lists: entry i of each list of a group describes one connection or queue. After
  // the filter they hold only the maker's objects.
  NameList connectionNames;
  NameList connectionDrivers;
  NameList queueNames;
  NameList queueDrivers;
  NameList queuePorts;
  // The port texts of the local queues the filter dropped: those ports are never deleted.
  PortsInUse otherQueuesPorts;

  // Ports and drivers (parallel) of the maker's queues that an earlier run deleted without getting
  // to them; the port and driver phases take them after those of the queues. A driver is empty
  // where only the port is left.
  NameList pendingPorts;
  NameList pendingDrivers;
  // The note's entries this run takes, also those that come with a queue still listed: what is
  // known of their failures carries over.
  std::vector<PendingRemoval> pendingTaken;
  // Entries of that run's note for models this run does not clean, written back for a later run.
  std::vector<PendingRemoval> pendingKept;
  // The note was there but could not be read: it is left as it is.
  bool pendingNoteUnread = false;
  // A note is there, read or written by this run: settling it is this run's business.
  bool pendingNoteStored = false;

  // The ports of the maker's queues and of those an earlier run left, with their monitors:
  // listed once by the port phase when there are ports to delete, and released at its end.
  PortInfoList portInventory;

  // Names of the ports, and later drivers, already deleted in this run; case-sensitive.
  std::set<std::wstring> finishedSet;

  // The ports and drivers whose deletion failed in this run: their entries stay in the note, so
  // that later runs try them again. The last Windows error of each: ports by their upper-cased
  // name, drivers as named.
  std::map<std::wstring, std::uint32_t> portErrors;
  std::map<std::wstring, std::uint32_t> driverErrors;

  // The drivers this run deleted (in simulation: would have), as "environment|name": the
  // packages they used are no longer in use after them.
  std::set<std::wstring> driversGone;
  // The driver store packages whose removal failed, as note entries; and the published names of
  // all the package phase tried, whose earlier entries it settles.
  std::vector<PendingRemoval> packageFailures;
  std::set<std::wstring> packagesTried;
};

}  // namespace kv
