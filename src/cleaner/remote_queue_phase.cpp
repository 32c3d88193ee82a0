// The network printer connections of the maker's drivers.
#include "cleaner/cleaning_phases.h"
#include "log/logger.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/driver_filter_walk.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/removals.h"
#include "system/system_services.h"

namespace kv {

void removeRemoteQueues(CleanerRun& run) {
  Logger& log = detailLog();
  log.debug() << L"-----Remote queues-----" << endLine;
  // The spooler lists the connections of the calling account only, and answers LocalSystem
  // with none at all: say so, or a run by a distribution tool seems to have found nothing.
  if (SystemServices::current().runsAsLocalSystem()) {
    log.warn() << kLocalSystemSeesNoConnections
               << L": they stay (run in the user's session to remove them)." << endLine;
  }
  if (!bMciEntryConnectionList(run.connectionNames, run.connectionDrivers)) {
    log.error() << L"Failed to enumerate network queue connections." << endLine;
    fatalEnd(kResultEnumNetPrinters, L"");
  }
  log.debug() << L"vector size after query " << run.connectionNames.size() << endLine;
  filterByDriver(run.modelSet, run.connectionNames, run.connectionDrivers, nullptr, nullptr);

  run.qCount = 0;
  run.pCount = 0;
  for (const std::wstring& name : run.connectionNames) {
    log.info() << L"Disconnecting " << name << L"..." << endLine;
    if (!run.options.clean) {
      log.info() << L"SIMULATION:Successfully deleted remote connection " << name << endLine;
      continue;
    }
    if (bMciDeletePrinterConnection(name)) {
      log.info() << L"Successfully deleted remote connection " << name << L"." << endLine;
    } else {
      log.error() << L"Failed to delete " << name << L".(" << dwMciGetLastError() << L")"
                  << endLine;
      ++run.qCount;
    }
  }
}

}  // namespace kv
