#pragma once

#include <cstddef>
#include <string>

#include "check/check_report.h"

namespace kv {

// Remediation scripts of a device management service keep this much of a script's output.
inline constexpr std::size_t kOneLineLimit = 2048;

// The report as one line of at most kOneLineLimit characters, ASCII only, without a line end:
// key=value pairs separated by single spaces. First the line's format ("kvcheck=2"), the exit
// code, who looked where and when, the models ("modelsNote=1" when -F named none), a failure when
// the check could not finish, "restart=1" when an uninstaller's restart is still owed (else 0),
// then
// "<kind>.<decision>=<count>" for each decision that occurs and last "change=" with the
// "<kind>:<name>" of each object a clean run would still change, comma-separated. Within a value
// a space, comma, "=" or control character is written "\xNN", any other character outside ASCII
// "\uxxxx" per UTF-16 unit; a value longer than its room is cut and ends in "...", and so does
// the list of names where the line would grow too long.
std::string oneLineReport(const CheckReport& report);

}  // namespace kv
