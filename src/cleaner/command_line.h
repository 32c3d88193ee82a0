#pragma once

#include <string>
#include <vector>

#include "cleaner/run_options.h"

namespace kv {

// Parses the arguments (args[0] is the program) into `options`. Every wrong argument adds its
// own line to `messages` ("Illegal character (...)" or "Illegal option (...)", each ending in a
// line feed); a command line without -C or -T is wrong without a message. Returns 0 when the
// command line is accepted, -1 when it is not.
int parseCommandLine(const std::vector<std::wstring>& args, RunOptions& options,
                     std::wstring& messages);

}  // namespace kv
