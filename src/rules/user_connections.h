#pragma once

#include "rules/driver_filter.h"
#include "spooler/name_list.h"

namespace kv {

// The calling user's network printer connections, as the cleaner's remote queue phase and
// kvdisconnect treat them alike, with the same detail log lines.

// Writes the phase's heading, lists the connections into the two parallel lists and narrows
// them to the maker's (the filter the models set chooses). False, after the Error line, when
// the connections cannot be listed; the caller ends with its own code.
bool listMakersConnections(const ModelSet& models, NameList& names, NameList& drivers);

// Disconnects each listed connection, or with `clean` false only writes that it would. Returns
// the count of connections that could not be removed, each named on an Error line with its code.
int disconnectEach(const NameList& names, bool clean);

}  // namespace kv
