#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "report/utc_time.h"

namespace kv {

struct ReportOptions {
  std::vector<std::filesystem::path> folders;
  std::filesystem::path outFolder = ".";
  // Documents whose time is earlier are left out.
  std::optional<UtcSeconds> since;
};

// The usage text, printed with every command line error.
extern const char* const kReportUsage;

// Reads `kvreport <folder>... [-o out-folder] [--since date]` (the program's name not included).
// "--" ends the options. On a wrong command line, gives the line that says what is wrong (no
// usage) and leaves `options` half filled.
std::optional<std::string> parseReportCommandLine(const std::vector<std::filesystem::path>& args,
                                                  ReportOptions& options);

// An argument or path as UTF-8 for messages and comparisons: on Windows from its UTF-16 (an
// unpaired surrogate becomes U+FFFD), elsewhere its bytes made valid UTF-8 the same way.
std::string pathText(const std::filesystem::path& path);

}  // namespace kv
