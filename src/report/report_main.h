#pragma once

#include <filesystem>
#include <vector>

namespace kv {

// kvreport's exit codes.
inline constexpr int kReportWritten = 0;
inline constexpr int kReportWrongCommandLine = 1;
inline constexpr int kReportNoDocument = 2;
inline constexpr int kReportNotWritten = 3;

// The whole of kvreport after the entry point (args without the program's own path): reads the
// documents below the folders one file at a time, writes report.html and report.csv and says on
// standard output what it read and wrote; errors go to standard error. Never raises: running out
// of memory is a report not written.
int reportMain(const std::vector<std::filesystem::path>& args);

}  // namespace kv
