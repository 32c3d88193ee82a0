#pragma once

#include <string>
#include <vector>

#include "disconnect/disconnect_options.h"

namespace kv {

// kvdisconnect: the signed-in user's network printer connections to the maker's printers. Runs
// with the caller's rights; only the registration for users' logons needs an administrator.
// Exit codes: 0 done (nothing to do included); 1 a wrong command line, a connection that could
// not be removed, a program path or value refused for a registration, or a registration that
// could not be written; 4 -F not readable; 5 -R or -U without administrator rights; 16 the
// connections could not be listed.
int disconnectMain(const std::vector<std::wstring>& args);

// -C and -T: lists, chooses and removes (or with -T only logs) the user's connections, with the
// detail log in %LOCALAPPDATA%\NOVAX\MXQLOG (disconnect_run.cpp).
int removeUsersConnections(const DisconnectOptions& options);

// -R and -U: writes or removes the registration that runs "kvdisconnect -C" at each user's
// next logon; messages on the console only (logon_command.cpp).
int registerForLogons(const DisconnectOptions& options);
int unregisterFromLogons();

}  // namespace kv
