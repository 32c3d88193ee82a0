#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Severity of a log line; a higher value is more severe. The enumerators are not in capitals:
// <windows.h> defines ERROR as a macro. A Logger writes lines whose level is
// at least its threshold.
enum class LogLevel : std::int32_t {
  All = 100,
  Debug = 200,
  Info = 300,
  Warn = 400,
  Warning = 400,
  Error = 500,
  Fatal = 600,
  Off = 1000,
};

// The level named by `name` in any letter case ("warning", "Debug", ...); INFO for any other
// name, the empty one included. Blanks are not trimmed.
LogLevel levelFromName(const std::wstring& name);

}  // namespace kv
