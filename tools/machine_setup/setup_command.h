#pragma once

#include <string>
#include <vector>

namespace kv::setup {

// The exit codes of kvsetup.
inline constexpr int kExitDone = 0;
inline constexpr int kExitCallFailed = 1;
inline constexpr int kExitUsage = 2;

// The usage text, printed for "help" and after every command-line error.
extern const wchar_t kUsageText[];

// Runs one kvsetup command line (the arguments after the program name). What the command prints
// goes to `out`, its error lines to `err`, each line ending in "\n"; the result is the exit code.
int runSetupCommand(const std::vector<std::wstring>& arguments, std::wstring& out,
                    std::wstring& err);

}  // namespace kv::setup
