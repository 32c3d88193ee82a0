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

// "DOMAIN\name (SID)" of this process's token user, the SID alone when no name is found for it;
// empty when the token cannot be read.
std::wstring processAccountText();

}  // namespace kv
