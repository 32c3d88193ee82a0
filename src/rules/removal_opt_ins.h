#pragma once

#include <string>

#include "config/cleaner_config.h"

namespace kv {

// What the -F file asks of a removal that a clean run does only on request.
enum class OptIn { Off, On, Unknown };

// "Remove" in any letter case is on; an empty or missing value is off; anything else is a value
// the run does not know, which removes nothing.
OptIn optInOf(const std::wstring& value);

struct RemovalOptIns {
  OptIn unusedDrivers = OptIn::Off;
  OptIn driverPackages = OptIn::Off;
};

RemovalOptIns removalOptInsOf(const cleanerconfig_s& config);

// For the run's start line: "UnusedDrivers=Remove DriverPackages=Remove", one of them, or "none".
std::wstring optInsShown(const RemovalOptIns& optIns);

// The Error line for a key whose value the run does not know, or empty when the value is known.
std::wstring unknownOptInLine(const wchar_t* key, const std::wstring& value);

}  // namespace kv
