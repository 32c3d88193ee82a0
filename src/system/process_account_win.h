#pragma once

// Which account this process runs as. Windows only.
#include <windows.h>

#include <string>

namespace kv {

// True when the security identifier is LocalSystem's (S-1-5-18).
bool isLocalSystemSid(PSID sid);

// True when the user of this process's token is LocalSystem, the account distribution tools run
// programs as; false when it is another account or the token cannot be read.
bool processRunsAsLocalSystem();

// The account of this process's token as "DOMAIN\\user" ("NT AUTHORITY\\SYSTEM"); empty when it
// cannot be told.
std::wstring processAccountName();

// True when the token is elevated (an administrator's full token, or LocalSystem's); false for a
// filtered or standard user's token and when it cannot be read.
bool processRunsElevated();

// The SID of this process's token user as text ("S-1-5-18"); empty when it cannot be read.
std::wstring processAccountSid();

// True when this process's token is a member of BUILTIN\Administrators that is enabled (not held
// for deny only, as in an administrator's token without elevation); false otherwise or when it
// cannot be told.
bool processIsAdministrator();

}  // namespace kv
