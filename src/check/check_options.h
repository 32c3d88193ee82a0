#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv {

// kvcheck's command line: -F and -M as the cleaner takes them, -J for the JSON report, -S for
// the one line.
struct CheckOptions {
  bool json = false;                       // -J
  bool oneLine = false;                    // -S
  std::optional<std::wstring> configFile;  // -F
  std::optional<std::wstring> models;      // -M
};

// Reads the arguments (args[0] is the program) more strictly than the cleaner: an option is "-"
// and one letter in either case (-J, -S), or -F/-M with a value that is not empty, either in the
// same argument ("-Fcfg.ini") or as the next one. A letter with more letters after it ("-JSON"),
// an unknown or repeated option, anything that is not an option, a value option without its value,
// and -J with -S each add a line to `messages`; the usage lines follow the first. Returns 0 when
// the command line is accepted, -1 otherwise.
int parseCheckCommandLine(const std::vector<std::wstring>& args, CheckOptions& options,
                          std::wstring& messages);

// The lines that follow a wrong command line: the form and the exit codes.
extern const wchar_t kCheckUsage[];

}  // namespace kv
