// On request of the -F file, after the driver phase: the maker's drivers no queue or connection
// uses, in every environment, then the maker's packages in the driver store that no installed
// driver uses any more. Removing a package keeps Point and Print and "Add printer" from putting
// the maker's driver back.
#include <algorithm>
#include <set>

#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "rules/driver_packages.h"
#include "rules/restart_owed.h"
#include "spooler/driver_environments.h"
#include "spooler/driver_store.h"
#include "spooler/error_reporting.h"
#include "spooler/installed_drivers.h"
#include "spooler/inventory.h"
#include "spooler/removals.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The code a removal that answered success is failed with when the package is still listed
// (Wine 8's setup library does that): ERROR_ALREADY_EXISTS.
constexpr std::uint32_t kErrorPackageStayed = 183;

std::wstring goneKey(const std::wstring& environment, const std::wstring& driver) {
  return environment + L"|" + driver;
}

std::wstring ownEnvironment() {
  return SystemServices::current().nativePrintEnvironment().value_or(kProgramEnvironment);
}

// The drivers local queues and the user's connections still use; nullopt when a listing failed
// (reported), so that nothing is deleted that may be in use.
std::optional<std::set<std::wstring>> driversInUse() {
  std::set<std::wstring> used;
  if (!bMciEntryQueue_Driver_PortList(
          [&](std::wstring driver, std::wstring) { used.insert(std::move(driver)); })) {
    return std::nullopt;
  }
  NameList connections;
  NameList drivers;
  if (!bMciEntryConnectionList(connections, drivers)) return std::nullopt;
  used.insert(drivers.begin(), drivers.end());
  return used;
}

void deleteUnusedDriver(CleanerRun& run, const InstalledDriver& driver) {
  Logger& log = detailLog();
  const std::wstring shown = driver.name + L" (" + driver.environment + L")";
  log.info() << L"Deleting unused driver " << shown << L"..." << endLine;
  if (!run.options.clean) {
    log.info() << L"SIMULATION:Successfully deleted driver " << shown << endLine;
    run.driversGone.insert(goneKey(driver.environment, driver.name));
    return;
  }
  if (bMciDeletePrinterDriverEx(driver.name, driver.environment)) {
    log.info() << L"Successfully deleted driver " << shown << endLine;
    run.driversGone.insert(goneKey(driver.environment, driver.name));
    return;
  }
  log.error() << L"Failed to delete unused driver " << shown << L".(" << dwMciGetLastError() << L")"
              << endLine;
  ++run.failureCount;
}

// Whether the store still lists the package; the listing's failure counts as "still there".
bool stillListed(DriverStore& store, const DriverPackage& package, std::uint32_t& code) {
  std::vector<DriverPackage> packages;
  if (!store.listPrinterPackages(&packages)) {
    code = store.lastError();
    return true;
  }
  code = kErrorPackageStayed;
  return std::any_of(packages.begin(), packages.end(), [&](const DriverPackage& listed) {
    return listed.publishedName == package.publishedName;
  });
}

// The spooler's removal first; where winspool has none, the setup library's, never forced. 0
// when the package is gone, else the code of the failure.
std::uint32_t removePackage(DriverStore& store, const DriverPackage& package) {
  bool removed = store.deletePrinterDriverPackageW(nullptr, package.storePath.c_str(), nullptr);
  std::uint32_t code = removed ? 0 : store.lastError();
  if (!removed && code == kErrorProcedureMissing) {
    detailLog().debug() << L"DeletePrinterDriverPackageW is missing (127): SetupUninstallOEMInfW "
                        << package.publishedName << endLine;
    removed = store.setupUninstallOEMInfW(package.publishedName.c_str(), 0, nullptr);
    code = removed ? 0 : store.lastError();
  }
  if (!removed) return code;
  // A removal that answered success while the package stays is a failure, never a removal.
  return stillListed(store, package, code) ? code : 0;
}

void settleFailedPackage(CleanerRun& run, const DriverPackage& package, std::uint32_t code) {
  PendingRemoval entry{package.publishedName, package.storePath};
  entry.package = true;
  entry.lastError = code;
  for (const PendingRemoval& earlier : run.pendingKept) {
    if (earlier.package && earlier.driver == package.publishedName) {
      entry.failingSince = earlier.failingSince;
    }
  }
  if (entry.failingSince.empty()) {
    entry.failingSince = isoUtcText(SystemServices::current().universalTime());
  }
  run.packageFailures.push_back(std::move(entry));
}

void removeMakersPackage(CleanerRun& run, DriverStore& store, const DriverPackage& package,
                         const std::vector<InstalledDriver>& installed) {
  Logger& log = detailLog();
  const PackageChoice choice = choosePackage(package, installed, run.modelSet);
  if (!choice.makers) return;
  const std::wstring shown = package.publishedName + L" (" + package.storePath + L")";
  const PackageVerdict verdict = packageVerdict(choice, true, [&](const InstalledDriver& driver) {
    return run.driversGone.contains(goneKey(driver.environment, driver.name));
  });
  if (verdict != PackageVerdict::Remove) {
    log.info() << L"Driver package " << shown << L" stays: " << whyPackageStays(verdict) << L" ("
               << packageUsersShown(choice) << L")" << endLine;
    return;
  }
  log.info() << L"Deleting driver package " << shown << L"..." << endLine;
  if (!run.options.clean) {
    log.info() << L"SIMULATION:Successfully deleted driver package " << shown << endLine;
    return;
  }
  run.packagesTried.insert(package.publishedName);
  const std::uint32_t code = removePackage(store, package);
  if (code == 0) {
    log.info() << L"Successfully deleted driver package " << shown << endLine;
    return;
  }
  log.error() << L"Failed to delete driver package " << shown << L".(" << code << L")" << endLine;
  ++run.failureCount;
  settleFailedPackage(run, package, code);
}

}  // namespace

void removeUnusedDrivers(CleanerRun& run) {
  if (run.optIns.unusedDrivers != OptIn::On) return;
  Logger& log = detailLog();
  log.info() << L"KVTool cleaner Deleting unused drivers started: " << GetTimeText() << endLine;
  std::vector<InstalledDriver> installed;
  const std::optional<std::set<std::wstring>> used = driversInUse();
  if (!used || !listInstalledDrivers(installed)) {
    log.error() << L"Failed to enumerate drivers.(" << dwMciGetLastError() << L")" << endLine;
    ++run.failureCount;
    return;
  }
  const std::wstring own = ownEnvironment();
  const DriverFilter filter = chooseDriverFilter(run.modelSet);
  for (const InstalledDriver& driver : installed) {
    if (!passesDriverFilter(filter, run.modelSet, driver.name)) continue;
    // The driver phase had its turn at these: a failure there is counted and noted already.
    const bool triedBefore =
        driver.environment == own && (run.driversGone.contains(goneKey(own, driver.name)) ||
                                      run.driverErrors.contains(driver.name));
    if (triedBefore || run.driversGone.contains(goneKey(driver.environment, driver.name))) {
      continue;
    }
    if (used->contains(driver.name)) {
      log.debug() << L"Driver " << driver.name << L" (" << driver.environment
                  << L") stays: a queue or connection uses it" << endLine;
      continue;
    }
    deleteUnusedDriver(run, driver);
  }
}

void removeDriverPackages(CleanerRun& run) {
  if (run.optIns.driverPackages != OptIn::On) return;
  Logger& log = detailLog();
  log.info() << L"KVTool cleaner Deleting driver packages started: " << GetTimeText() << endLine;
  DriverStore& store = DriverStore::current();
  std::vector<DriverPackage> packages;
  if (!store.listPrinterPackages(&packages)) {
    log.error() << L"Failed to list the driver store's packages.(" << store.lastError() << L")"
                << endLine;
    ++run.failureCount;
    return;
  }
  std::vector<InstalledDriver> installed;
  if (!listInstalledDrivers(installed)) {
    log.error() << L"Failed to enumerate drivers.(" << dwMciGetLastError() << L")" << endLine;
    ++run.failureCount;
    return;
  }
  // An earlier run's entry of a package that is gone since is settled.
  for (const PendingRemoval& entry : run.pendingKept) {
    const bool listed = std::any_of(packages.begin(), packages.end(), [&](const DriverPackage& p) {
      return p.publishedName == entry.driver;
    });
    if (entry.package && !listed && run.options.clean) run.packagesTried.insert(entry.driver);
  }
  for (const DriverPackage& package : packages) removeMakersPackage(run, store, package, installed);
}

}  // namespace kv
