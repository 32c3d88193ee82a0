// The network printer connections of the maker's drivers.
#include "cleaner/cleaning_phases.h"
#include "messages/fatal_end.h"
#include "messages/result_codes.h"
#include "rules/user_connections.h"

namespace kv {

void removeRemoteQueues(CleanerRun& run) {
  if (!listMakersConnections(run.modelSet, run.connectionNames, run.connectionDrivers)) {
    fatalEnd(kResultEnumNetPrinters, L"");
  }
  run.qCount = 0;
  run.pCount = 0;
  run.qCount += disconnectEach(run.connectionNames, run.options.clean);
}

}  // namespace kv
