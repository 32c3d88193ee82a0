#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "rules/driver_filter.h"
#include "spooler/name_list.h"

namespace kv {

// The per-machine connections as a clean run and kvcheck read them: the driver of each comes
// from its print server, and the maker's are those whose driver passes the run's filter.
struct MachineConnectionsRead {
  // The maker's, parallel: name ("\\server\queue") and driver.
  NameList names;
  NameList drivers;
  // Those whose server did not answer, with the code: they stay, whatever their driver.
  std::vector<std::pair<std::wstring, std::int32_t>> silent;
};

// Lists the per-machine connections, asks each one's server for its driver, and narrows those
// that answered to the maker's, each with a Debug line in the filter walk's order and words, led
// by "Per-machine connection". A silent server gets a Warn line naming the connection and the
// code. False, after an Error line with the code, when the connections cannot be listed; a
// spooler without the listing call (127) has none to list (a Debug line).
bool readMakersMachineConnections(const ModelSet& models, MachineConnectionsRead& read);

}  // namespace kv
