// The maker's packages in the driver store and what a clean run with the -F file's opt-ins does
// with them: it removes them only on request, after the drivers that use them.
#include <set>

#include "check/check_run.h"
#include "rules/driver_packages.h"
#include "rules/removal_opt_ins.h"
#include "spooler/driver_environments.h"
#include "spooler/error_reporting.h"
#include "spooler/installed_drivers.h"
#include "system/system_services.h"

namespace kv {
namespace {

std::wstring joined(const std::vector<std::wstring>& texts) {
  std::wstring out;
  for (const std::wstring& text : texts) out += (out.empty() ? L"" : L"|") + text;
  return out;
}

// The drivers the report says a clean run deletes, as "environment|name".
std::set<std::wstring> driversDeleted(CheckRun& run) {
  const std::wstring own =
      SystemServices::current().nativePrintEnvironment().value_or(kProgramEnvironment);
  std::set<std::wstring> deleted;
  for (const CheckedObject& driver : run.report.of(CheckedKind::Drivers)) {
    if (driver.decision == L"delete") deleted.insert(own + L"|" + driver.name);
  }
  for (const CheckedObject& driver : run.report.of(CheckedKind::UnreachedDrivers)) {
    if (driver.decision != L"delete") continue;
    for (const auto& [name, value] : driver.facts) {
      if (name == "environment") deleted.insert(value + L"|" + driver.name);
    }
  }
  return deleted;
}

void cannotTell(CheckRun& run, const std::wstring& what, std::uint32_t code) {
  CheckedObject object{L"driver store", L"unknown"};
  object.why = what + L" (" + std::to_wstring(code) + L")";
  object.error = code;
  run.report.of(CheckedKind::DriverPackages).push_back(std::move(object));
}

}  // namespace

int checkDriverPackages(CheckRun& run) {
  const RemovalOptIns optIns = removalOptInsOf(run.config);
  run.report.noteOf(CheckedKind::DriverPackages) =
      unknownOptInLine(kDriverPackagesKey, run.config.driverPackagesValue);
  DriverStore& store = DriverStore::current();
  std::vector<DriverPackage> packages;
  if (!store.listPrinterPackages(&packages)) {
    cannotTell(run, L"the driver store could not be listed", store.lastError());
    return 0;
  }
  std::vector<InstalledDriver> installed;
  if (!listInstalledDrivers(installed)) {
    cannotTell(run, L"the installed drivers could not be listed",
               static_cast<std::uint32_t>(dwMciGetLastError()));
    return 0;
  }
  const std::set<std::wstring> deleted = driversDeleted(run);
  for (const DriverPackage& package : packages) {
    const PackageChoice choice = choosePackage(package, installed, run.modelSet);
    if (!choice.makers) continue;
    const PackageVerdict verdict = packageVerdict(
        choice, optIns.driverPackages == OptIn::On, [&](const InstalledDriver& driver) {
          return deleted.contains(driver.environment + L"|" + driver.name);
        });
    CheckedObject object{package.publishedName,
                         verdict == PackageVerdict::Remove ? L"delete" : L"keep"};
    object.why = verdict == PackageVerdict::Remove ? L"no installed driver uses it after the run"
                                                   : whyPackageStays(verdict);
    if (const auto word = brandWordAsWord(package.provider)) object.brandWord = std::wstring(*word);
    object.facts.emplace_back("storePath", package.storePath);
    object.facts.emplace_back("provider", package.provider);
    object.facts.emplace_back("models", joined(choice.chosenModels));
    object.facts.emplace_back("usedBy", packageUsersShown(choice));
    for (const PendingRemoval& earlier : run.pendingPackages) {
      if (earlier.driver != package.publishedName) continue;
      object.why += L"; an earlier run failed to remove it since " + earlier.failingSince + L" (" +
                    std::to_wstring(earlier.lastError) + L")";
      object.facts.emplace_back("lastError", std::to_wstring(earlier.lastError));
      object.facts.emplace_back("failingSince", earlier.failingSince);
    }
    run.report.of(CheckedKind::DriverPackages).push_back(std::move(object));
  }
  return 0;
}

}  // namespace kv
