#pragma once

#include "rules/driver_filter.h"
#include "rules/ports_in_use.h"
#include "spooler/name_list.h"

namespace kv {

// Narrows a group of parallel lists (connections: names and drivers; queues: names, drivers and
// ports) to the entries whose driver passes the filter the models set chooses. The entries are
// visited from the last to the first and each gets one Debug line saying whether it stays.
// `ports` is null for the connection group. The port texts of the queues that are dropped go to
// `otherQueuesPorts` when it is given.
void filterByDriver(const ModelSet& models, NameList& names, NameList& drivers, NameList* ports,
                    PortsInUse* otherQueuesPorts);

}  // namespace kv
