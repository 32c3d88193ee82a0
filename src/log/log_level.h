#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Severity of a log line; a higher value is more severe. A Logger writes lines whose level is
// at least its threshold.
enum class LogLevel : std::int32_t {
  ALL = 100,
  DEBUG = 200,
  INFO = 300,
  WARN = 400,
  WARNING = 400,
  ERROR = 500,
  FATAL = 600,
  OFF = 1000,
};

// The level named by `name` in any letter case ("warning", "Debug", ...); INFO for any other
// name, the empty one included. Blanks are not trimmed.
LogLevel levelFromName(const std::wstring& name);

}  // namespace kv
