#pragma once

#include <string>

#include "main/cleaner_run.h"

namespace kv {

// Start-up after an accepted command line: console echo, log directory, the operation log and
// its record, the detail log and its threshold, the start line and the build stamp.
// `programPath` is the first argument, the program's own path.
void startUp(CleanerRun& run, const std::wstring& programPath);

// The build time stamp: weekday, month, day, time of day and year of the build.
const wchar_t* buildStamp();

}  // namespace kv
