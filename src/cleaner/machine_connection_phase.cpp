// The connections made for every user of the machine whose print server names one of the maker's
// drivers: Windows gives them back to each user at logon until the machine's entry is gone.
#include "cleaner/cleaning_phases.h"
#include "log/logger.h"
#include "rules/machine_connection_choice.h"
#include "spooler/error_reporting.h"
#include "spooler/machine_connections.h"

namespace kv {

void removeMachineConnections(CleanerRun& run) {
  Logger& log = detailLog();
  log.debug() << L"-----Per-machine connections-----" << endLine;
  MachineConnectionsRead read;
  // Not being able to list them removes nothing and keeps nothing from the later phases; the
  // maker's may still be there, so it counts in Q as a removal that failed.
  if (!readMakersMachineConnections(run.modelSet, read)) {
    ++run.qCount;
    return;
  }
  for (const std::wstring& name : read.names) {
    log.info() << L"Disconnecting per-machine connection " << name << L"..." << endLine;
    if (!run.options.clean) {
      log.info() << L"SIMULATION:Successfully deleted per-machine connection " << name << endLine;
      continue;
    }
    if (deleteMachineConnection(name)) {
      log.info() << L"Successfully deleted per-machine connection " << name << L"." << endLine;
    } else {
      log.error() << L"Failed to delete per-machine connection " << name << L".("
                  << dwMciGetLastError() << L")" << endLine;
      ++run.qCount;
    }
  }
}

}  // namespace kv
