// The drivers of the maker's queues and of an earlier run's note, each once, and the maker's
// drivers no clean run deletes: a clean run finds drivers only through the queues it deletes and
// the note (which keeps a driver whose deletion failed until a run deletes it), and only those of
// the machine's own environment.
#include <set>

#include "check/check_run.h"
#include "messages/result_codes.h"
#include "rules/removal_opt_ins.h"
#include "spooler/driver_environments.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/print_spooler.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The names it reported, which a clean run reaches.
std::set<std::wstring> checkQueueDrivers(CheckRun& run) {
  std::set<std::wstring> seen;
  for (const NameList* drivers : {&run.queueDrivers, &run.pendingDrivers}) {
    for (const std::wstring& driver : *drivers) {
      if (!seen.insert(driver).second) continue;
      CheckedObject object{driver, L"delete"};
      noteWhyChosen(run, driver, object);
      if (const auto staying = run.stayingQueueOfDriver.find(driver);
          staying != run.stayingQueueOfDriver.end()) {
        // A clean run tries, fails and ends with exit code 1.
        object.decision = L"keep";
        object.keptForNow = true;
        object.why += L"; queue " + staying->second + L" stays and uses it: the deletion fails";
      }
      run.report.of(CheckedKind::Drivers).push_back(std::move(object));
    }
  }
  return seen;
}

}  // namespace

int checkDrivers(CheckRun& run) {
  const std::set<std::wstring> reached = checkQueueDrivers(run);
  const std::wstring own =
      SystemServices::current().nativePrintEnvironment().value_or(kProgramEnvironment);
  const DriverFilter filter = chooseDriverFilter(run.modelSet);
  const bool unusedDrivers = removalOptInsOf(run.config).unusedDrivers == OptIn::On;
  if (const std::wstring line = unknownOptInLine(kUnusedDriversKey, run.config.unusedDriversValue);
      !line.empty()) {
    run.report.noteOf(CheckedKind::UnreachedDrivers) = line;
  }
  for (const wchar_t* environment : kDriverEnvironments) {
    NameList drivers;
    const bool ownEnvironment = environment == own;
    if (!(ownEnvironment ? bMciEntryDriverList(drivers)
                         : bMciEntryDriverList(drivers, environment))) {
      // A spooler that serves no such environment has no drivers of it.
      if (!ownEnvironment &&
          dwMciGetLastError() == static_cast<std::int32_t>(kErrorInvalidEnvironment)) {
        continue;
      }
      return listingFailed(kResultEnumPrinters, L"Failed to enumerate drivers.");
    }
    for (const std::wstring& driver : drivers) {
      if (!passesDriverFilter(filter, run.modelSet, driver)) continue;
      if (ownEnvironment && reached.contains(driver)) continue;
      CheckedObject object{driver, L"unreached"};
      noteWhyChosen(run, driver, object);
      if (unusedDrivers) {
        object.decision = L"delete";
        object.why += L"; no queue uses it, and clean.ini asks to remove unused drivers";
      } else {
        object.why += ownEnvironment
                          ? L"; no queue of the maker and no note of an earlier run uses it"
                          : L"; a clean run deletes drivers of " + own + L" only";
      }
      object.facts.emplace_back("environment", environment);
      run.report.of(CheckedKind::UnreachedDrivers).push_back(std::move(object));
    }
  }
  return 0;
}

}  // namespace kv
