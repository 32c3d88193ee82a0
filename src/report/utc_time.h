#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Seconds since 1970-01-01T00:00:00Z; kvcheck writes its times in UTC, so a report compares them
// as plain numbers whatever zone the PCs were in.
using UtcSeconds = std::int64_t;

// What a time text must hold to be read.
enum class UtcTextForm {
  // "YYYY-MM-DDThh:mm:ssZ", as kvcheck writes it.
  Full,
  // "YYYY-MM-DD", "YYYY-MM-DDThh:mm" or "YYYY-MM-DDThh:mm:ss", each with an optional "Z"; a
  // missing time of day is midnight. What --since takes.
  DateOrDateTime,
};

// The UTC time a text names; nullopt when it does not have the form or names no real day or
// time of day (a 30 February, an hour 24).
std::optional<UtcSeconds> parseUtcText(std::string_view text, UtcTextForm form);

// "YYYY-MM-DDThh:mm:ssZ".
std::string utcText(UtcSeconds seconds);

}  // namespace kv
