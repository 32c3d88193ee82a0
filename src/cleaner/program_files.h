#pragma once

#include <string>

namespace kv {

// The message text file beside the program: the program path up to and including its last
// separator, then "KV_TOOLS_LNG.IRC". Windows takes "/" as a separator as well as "\", so both
// end the directory. A path without either gives the bare name, found in the current directory.
std::wstring messageFileBeside(const std::wstring& programPath);

}  // namespace kv
