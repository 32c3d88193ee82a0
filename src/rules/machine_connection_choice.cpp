#include "rules/machine_connection_choice.h"

#include "log/logger.h"
#include "rules/driver_filter_walk.h"
#include "spooler/error_reporting.h"
#include "spooler/machine_connections.h"

namespace kv {
namespace {

constexpr std::int32_t kErrorProcNotFound = 127;

}  // namespace

bool readMakersMachineConnections(const ModelSet& models, MachineConnectionsRead& read) {
  Logger& log = detailLog();
  NameList listed;
  if (!listMachineConnections(listed)) {
    // A spooler that does not have the call at all (Wine's winspool.drv) holds no per-machine
    // connections: nothing is left behind, so this is no failure.
    if (dwMciGetLastError() == kErrorProcNotFound) {
      log.debug() << L"This spooler has no per-machine connections.(" << kErrorProcNotFound << L")"
                  << endLine;
      return true;
    }
    log.error() << L"Failed to enumerate per-machine printer connections.(" << dwMciGetLastError()
                << L")" << endLine;
    return false;
  }
  log.debug() << L"per-machine connections after query " << listed.size() << endLine;
  for (std::wstring& name : listed) {
    std::wstring driver;
    if (askServerForDriver(name, driver)) {
      read.names.push_back(std::move(name));
      read.drivers.push_back(std::move(driver));
      continue;
    }
    const std::int32_t code = dwMciGetLastError();
    log.warn() << L"No answer from the print server of " << name << L".(" << code
               << L"): the per-machine connection stays." << endLine;
    read.silent.emplace_back(std::move(name), code);
  }
  filterByDriver(models, read.names, read.drivers, nullptr, nullptr);
  return true;
}

}  // namespace kv
