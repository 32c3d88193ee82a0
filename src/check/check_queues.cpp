// The maker's network printer connections and local queues, chosen by the driver filter, and the
// queues' pre-check: what a clean run deletes and what it leaves as busy or printing.
#include "check/check_run.h"
#include "messages/result_codes.h"
#include "rules/driver_filter_walk.h"
#include "rules/queue_condition.h"
#include "spooler/inventory.h"
#include "spooler/print_spooler.h"
#include "spooler/printer_handle.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The code with which opening the queue to read its state fails; 0 when it opens.
std::uint32_t openingError(const std::wstring& queue) {
  PrintSpooler& spooler = PrintSpooler::current();
  PrinterHandle handle(spooler);
  if (handle.open(queue, kPrinterAccessUse)) return 0;
  const std::uint32_t error = spooler.lastError();
  return error != 0 ? error : kErrorAccessDenied;
}

// Status and jobs are all the pre-check reads: a standard user's right to use a queue is enough.
// Where an administrator took even that away, the pre-check reads a queue that cannot be opened
// as printing; the cleaner, run as an administrator, may well see it idle, so the check says it
// cannot tell.
void decideByCondition(const std::wstring& queue, CheckedObject& object) {
  const std::int32_t condition = VerifyQueueCondition(queue, kPrinterAccessUse);
  object.decision = L"keep";
  object.keptForNow = true;
  if (condition == 0) {
    object.decision = L"delete";
    object.keptForNow = false;
    object.why += L"; idle";
  } else if (condition == kResultBusy) {
    object.why += L"; busy (42): paused, in error, pending deletion or waiting for the user";
  } else if (const std::uint32_t error = openingError(queue); error != 0) {
    object.decision = L"unknown";
    object.keptForNow = false;
    object.error = error;
    object.why += error == kErrorAccessDenied
                      ? L"; access denied: run kvcheck as an administrator to see"
                      : L"; the queue cannot be opened (" + std::to_wstring(error) + L")";
  } else {
    object.why += L"; printing or holding jobs (30)";
  }
}

}  // namespace

int checkConnections(CheckRun& run) {
  // The spooler answers LocalSystem with no connections at all, whatever the users have.
  if (SystemServices::current().runsAsLocalSystem()) {
    run.report.noteOf(CheckedKind::Connections) =
        std::wstring(kLocalSystemSeesNoConnections) +
        L": run kvcheck in the user's session to see them.";
  }
  NameList names;
  NameList drivers;
  if (!bMciEntryConnectionList(names, drivers)) {
    return listingFailed(kResultEnumNetPrinters, L"Failed to enumerate network queue connections.");
  }
  filterByDriver(run.modelSet, names, drivers, nullptr, nullptr);
  for (std::size_t i = 0; i < names.size(); ++i) {
    CheckedObject connection{names[i], L"disconnect"};
    noteWhyChosen(run, drivers[i], connection);
    connection.facts.emplace_back("driver", drivers[i]);
    run.report.of(CheckedKind::Connections).push_back(std::move(connection));
  }
  return 0;
}

int checkQueues(CheckRun& run) {
  if (!bMciEntryQueue_Driver_PortList(&run.queueNames, &run.queueDrivers, &run.queuePorts)) {
    return listingFailed(kResultEnumPrinters, L"Failed to enumerate printers.");
  }
  filterByDriver(run.modelSet, run.queueNames, run.queueDrivers, &run.queuePorts,
                 &run.otherQueuesPorts);
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    CheckedObject queue{run.queueNames[i]};
    noteWhyChosen(run, run.queueDrivers[i], queue);
    decideByCondition(run.queueNames[i], queue);
    // A queue the check cannot tell about holds its driver no more surely than one it deletes.
    if (queue.decision == L"keep") {
      run.stayingQueueOfDriver.emplace(run.queueDrivers[i], run.queueNames[i]);
    }
    queue.facts.emplace_back("driver", run.queueDrivers[i]);
    queue.facts.emplace_back("port", run.queuePorts[i]);
    run.report.of(CheckedKind::Queues).push_back(std::move(queue));
  }
  return 0;
}

}  // namespace kv
