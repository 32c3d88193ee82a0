#pragma once

#include <optional>
#include <string>

#include "config/cleaner_config.h"
#include "rules/driver_filter.h"

namespace kv {

// The models to clean: those of the configuration file (-F), then -M, which replaces whatever
// the file named; each fills `modelSet` afresh. False when the file cannot be loaded (-M is then
// not taken either).
bool takeConfiguredModels(const std::optional<std::wstring>& configFile,
                          const std::optional<std::wstring>& models, cleanerconfig_s& config,
                          ModelSet& modelSet);

}  // namespace kv
