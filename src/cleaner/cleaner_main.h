#pragma once

#include <string>
#include <vector>

namespace kv {

// The whole program after the entry point has turned its arguments into wide text (args[0] is
// the program's own path). Returns the process exit code; a fatal end exits from inside. Never
// raises: an exception ends the run through the fatal end with code 15 (the message text file's
// "the command could not be run").
int cleanerMain(const std::vector<std::wstring>& args);

}  // namespace kv
