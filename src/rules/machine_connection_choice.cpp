#include "rules/machine_connection_choice.h"

#include <cstddef>
#include <vector>

#include "log/logger.h"
#include "spooler/error_reporting.h"
#include "spooler/machine_connections.h"

namespace kv {
namespace {

constexpr std::int32_t kErrorProcNotFound = 127;

// The filter walk's words with the phase's own in front, so that no line can be read as one of
// the user connection phase's.
const wchar_t* filterText(DriverFilter filter, bool kept) {
  if (filter == DriverFilter::Model) {
    return kept ? L"Per-machine connection, match found : "
                : L"Per-machine connection, no match found, stays: ";
  }
  return kept ? L"Per-machine connection, NFG string found : "
              : L"Per-machine connection, no NFG driver string found, stays: ";
}

// From the last entry to the first, as the other filter walks write theirs.
void keepMakers(const ModelSet& models, MachineConnectionsRead& read) {
  const DriverFilter filter = chooseDriverFilter(models);
  std::vector<bool> keep(read.drivers.size(), false);
  for (std::size_t i = read.drivers.size(); i-- > 0;) {
    keep[i] = passesDriverFilter(filter, models, read.drivers[i]);
    detailLog().debug() << filterText(filter, keep[i]) << read.names[i] << L" Driver: "
                        << read.drivers[i] << endLine;
  }
  MachineConnectionsRead kept;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    if (!keep[i]) continue;
    kept.names.push_back(std::move(read.names[i]));
    kept.drivers.push_back(std::move(read.drivers[i]));
  }
  read.names = std::move(kept.names);
  read.drivers = std::move(kept.drivers);
}

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
  keepMakers(models, read);
  return true;
}

}  // namespace kv
