#include "cleaner/run_sequence.h"

#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "log/operation_record.h"
#include "messages/error_dialog.h"
#include "messages/result_codes.h"

namespace kv {
namespace {

int finishRun(CleanerRun& run) {
  Logger& log = detailLog();
  log.debug() << L"KVTOOL cleaner execution completed. (" << run.failureCount << L") [Q:"
              << run.qCount << L", P:" << run.pCount << L"]" << endLine;
  log.debug() << L"Cleanup...." << endLine;

  run.finishedSet.clear();
  ReleaseNameList(run.connectionNames);
  ReleaseNameList(run.connectionDrivers);
  ReleaseNameList(run.queueNames);
  ReleaseNameList(run.queueDrivers);
  ReleaseNameList(run.queuePorts);
  ReleaseNameList(run.pendingPorts);
  ReleaseNameList(run.pendingDrivers);

  log.info() << L"KVTool cleaner finished: " << GetTimeText() << endLine;
  finishOperationRecord(run.failureCount, run.failureCount == 0);

  const int exitCode = run.failureCount > 0 ? 1 : 0;
  // A failed driver deletion is also shown to the user; the exit code says the same either way.
  if (run.failureCount > 0) showErrorForCode(kResultDeleteDriverPackage, L"");
  log.close();
  return exitCode;
}

}  // namespace

int runSequence(CleanerRun& run) {
  uninstallProductsFirstPass(run);
  removeSilentModeFile(run);

  removeRemoteQueues(run);
  removeMachineConnections(run);
  listLocalQueues(run);
  takeOverPendingRemovals(run);
  notePendingRemovals(run);
  removeLocalQueues(run);
  removePorts(run);
  removeDrivers(run);
  removeUnusedDrivers(run);
  removeDriverPackages(run);
  settlePendingRemovals(run);

  uninstallProductsSecondPass(run);
  return finishRun(run);
}

}  // namespace kv
