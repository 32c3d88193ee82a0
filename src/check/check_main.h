#pragma once

#include <string>
#include <vector>

namespace kv {

// The whole of kvcheck after the entry point (args[0] is the program's own path): reads the
// machine as kvcleaner -C with the same -F and -M would, writes the report on standard output
// (a table, or JSON with -J) and returns the exit code (check_exit_codes.h). Changes nothing:
// no log, no settings file, no note, no deletion, no process. Never raises.
int checkMain(const std::vector<std::wstring>& args);

}  // namespace kv
