#pragma once

#include <string>

#include "spooler/name_list.h"

namespace kv {

// Network printer connections made for every user of the machine (printui /ga, Group Policy's
// per-computer printers): Windows adds them to each user's session at logon, so they come back
// until the machine's own entry is gone. Each call reports as the other wrappers do; after a
// false return dwMciGetLastError() holds the code.

// Appends the names ("\\server\queue") in the spooler's order; nothing on failure.
bool listMachineConnections(NameList& names);

// Asks the connection's print server for the queue's driver: opened with the right to use it,
// which any user has, and read at level 2. False when the server does not answer or refuses.
bool askServerForDriver(const std::wstring& connectionName, std::wstring& driver);

// Removes the machine's connection; only an administrator may. One that is gone already counts
// as done.
bool deleteMachineConnection(const std::wstring& connectionName);

}  // namespace kv
