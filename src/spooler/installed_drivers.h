#pragma once

#include <string>
#include <vector>

namespace kv {

// A printer driver installed on the machine, with the INF of the driver store package it came
// from (empty when the spooler names none).
struct InstalledDriver {
  std::wstring name;
  std::wstring environment;
  std::wstring infPath;
};

// Appends the installed drivers of every environment the spooler serves (kDriverEnvironments),
// read at level 8; an environment it does not serve (1805) holds none. On a failed listing the
// failure is reported (error_reporting.h), false is returned and `drivers` is as it was.
bool listInstalledDrivers(std::vector<InstalledDriver>& drivers);

}  // namespace kv
