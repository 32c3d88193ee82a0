// The drivers of the maker's queues, also of queues that could not be deleted.
#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "spooler/driver_environments.h"
#include "spooler/error_reporting.h"
#include "spooler/removals.h"
#include "system/system_services.h"

namespace kv {
namespace {

void deleteDriver(CleanerRun& run, const std::wstring& driver) {
  Logger& log = detailLog();
  log.info() << L"Deleting driver " << driver << L"..." << endLine;
  const std::size_t deleted = run.finishedSet.count(driver);
  log.debug() << L"finishedSet.count = " << deleted << endLine;
  if (deleted != 0) {
    log.debug() << L"Driver previously deleted " << driver << endLine;
    return;
  }
  // The package phase knows by this which drivers no longer use their packages.
  const std::wstring gone =
      SystemServices::current().nativePrintEnvironment().value_or(kProgramEnvironment) + L"|" +
      driver;
  if (!run.options.clean) {
    log.info() << L"SIMULATION:Successfully deleted driver " << driver << endLine;
    run.driversGone.insert(gone);
    return;
  }
  if (bMciDeletePrinterDriverEx(driver)) {
    log.info() << L"Successfully deleted driver " << driver << endLine;
    run.driversGone.insert(gone);
    run.finishedSet.insert(driver);
    log.debug() << L"finishedSet.size = " << run.finishedSet.size() << endLine;
  } else {
    const std::int32_t code = dwMciGetLastError();
    log.error() << L"Error: Failed to delete driver " << driver << L".(" << code << L")" << endLine;
    ++run.failureCount;
    run.driverErrors[driver] = static_cast<std::uint32_t>(code);
  }
}

}  // namespace

void removeDrivers(CleanerRun& run) {
  detailLog().info() << L"KVTool cleaner Deleting driver started: " << GetTimeText() << endLine;
  for (const std::wstring& driver : run.queueDrivers) deleteDriver(run, driver);
  // An entry of the note without a driver left only its port: its driver went before.
  for (const std::wstring& driver : run.pendingDrivers) {
    if (!driver.empty()) deleteDriver(run, driver);
  }
}

}  // namespace kv
