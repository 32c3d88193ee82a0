// The maker's local print queues that are idle.
#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/driver_filter_walk.h"
#include "rules/queue_condition.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/removals.h"

namespace kv {
namespace {

void deleteQueue(CleanerRun& run, const std::wstring& name) {
  Logger& log = detailLog();
  log.info() << L"Deleting local queue " << name << L"..." << endLine;
  if (!run.options.clean) {
    log.info() << L"SIMULATION:Successfully deleted local queue " << name << endLine;
    return;
  }
  const std::int32_t condition = VerifyQueueCondition(name);
  if (condition != 0) {
    log.error() << L"Failed to delete local queue " << name << L".(IRC=" << condition << L")"
                << endLine;
    ++run.qCount;
    return;
  }
  if (bMciDeletePrinter(name)) {
    log.info() << L"Successfully deleted local queue " << name << L"." << endLine;
  } else {
    log.error() << L"Error: Failed to delete local queue " << name << L".(" << dwMciGetLastError()
                << L")" << endLine;
    ++run.qCount;
  }
}

}  // namespace

void listLocalQueues(CleanerRun& run) {
  if (!bMciEntryQueue_Driver_PortList(&run.queueNames, &run.queueDrivers, &run.queuePorts)) {
    detailLog().error() << L"Failed to enumerate printers." << endLine;
    fatalEnd(kResultEnumPrinters, L"");
  }
  filterByDriver(run.modelSet, run.queueNames, run.queueDrivers, &run.queuePorts,
                 &run.otherQueuesPorts);
}

void removeLocalQueues(CleanerRun& run) {
  Logger& log = detailLog();
  log.debug() << L"--- Local Queue + Driver + Port dumps ---" << endLine;
  for (std::size_t i = 0; i < run.queueNames.size(); ++i) {
    log.debug() << L"Local Queue: " << run.queueNames[i] << L" Driver: " << run.queueDrivers[i]
                << L" Port: " << run.queuePorts[i] << endLine;
  }

  log.info() << L"KVTool cleaner Deleting local queue started: " << GetTimeText() << endLine;
  // A queue that stays (busy, printing or failed) keeps its port and driver in the lists.
  for (const std::wstring& name : run.queueNames) deleteQueue(run, name);
}

}  // namespace kv
