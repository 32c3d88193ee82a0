#pragma once

#include <string>
#include <vector>

#include "cleaner/cleaner_run.h"

namespace kv {

// Start-up after an accepted command line: message boxes and console echo, log directory, the
// operation log and its record, the detail log and its threshold, the start line, the message
// text file check, the models to clean (-F, then -M), the build stamp and the settings file, and
// only then the lines of the version, command line and account and of a -P ignored. A
// configuration file that cannot be loaded ends the process with exit code 4. Without -D, a log
// or the settings file behind a junction or symbolic link below the all-users profile is not
// written. -P is ignored where no one could see a message box. `args` is the command line, the
// program's own path first.
void startUp(CleanerRun& run, const std::vector<std::wstring>& args);

// The program's version, as the release names it.
extern const wchar_t kProgramVersion[];

// The build time stamp: weekday, month, day, time of day and year of the build.
const wchar_t* buildStamp();

}  // namespace kv
