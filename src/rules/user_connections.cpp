#include "rules/user_connections.h"

#include "log/logger.h"
#include "rules/driver_filter_walk.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/removals.h"
#include "system/system_services.h"

namespace kv {

bool listMakersConnections(const ModelSet& models, NameList& names, NameList& drivers) {
  Logger& log = detailLog();
  log.debug() << L"-----Remote queues-----" << endLine;
  // The spooler lists the connections of the calling account only, and answers LocalSystem
  // with none at all: say so, or a run by a distribution tool seems to have found nothing.
  if (SystemServices::current().runsAsLocalSystem()) {
    log.warn() << kLocalSystemSeesNoConnections
               << L": they stay (run in the user's session to remove them)." << endLine;
  }
  if (!bMciEntryConnectionList(names, drivers)) {
    log.error() << L"Failed to enumerate network queue connections." << endLine;
    return false;
  }
  log.debug() << L"vector size after query " << names.size() << endLine;
  filterByDriver(models, names, drivers, nullptr, nullptr);
  return true;
}

int disconnectEach(const NameList& names, bool clean) {
  Logger& log = detailLog();
  int failures = 0;
  for (const std::wstring& name : names) {
    log.info() << L"Disconnecting " << name << L"..." << endLine;
    if (!clean) {
      log.info() << L"SIMULATION:Successfully deleted remote connection " << name << endLine;
      continue;
    }
    if (bMciDeletePrinterConnection(name)) {
      log.info() << L"Successfully deleted remote connection " << name << L"." << endLine;
    } else {
      log.error() << L"Failed to delete " << name << L".(" << dwMciGetLastError() << L")"
                  << endLine;
      ++failures;
    }
  }
  return failures;
}

}  // namespace kv
