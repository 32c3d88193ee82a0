#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv {

// kvcheck's command line: -F and -M as the cleaner reads them, -J for the JSON report.
struct CheckOptions {
  bool json = false;                       // -J
  std::optional<std::wstring> configFile;  // -F
  std::optional<std::wstring> models;      // -M
};

// Parses the arguments (args[0] is the program) as the cleaner parses its own (see
// main/option_letters.h); no option is required. Returns 0 when the command line is accepted,
// -1 with the parser's lines in `messages` when it is not.
int parseCheckCommandLine(const std::vector<std::wstring>& args, CheckOptions& options,
                          std::wstring& messages);

}  // namespace kv
