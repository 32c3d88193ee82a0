#pragma once

#include <string>
#include <vector>

#include "config/ini_loader.h"

namespace kv {

// The cleaner configuration file: section "Clean", key "Models", model names joined by "|".
inline constexpr wchar_t kCleanSection[] = L"Clean";
inline constexpr wchar_t kModelsKey[] = L"Models";
// Removals a run does only on request ("Remove"), read as written.
inline constexpr wchar_t kUnusedDriversKey[] = L"UnusedDrivers";
inline constexpr wchar_t kDriverPackagesKey[] = L"DriverPackages";

// The models to clean, from the -F file and then the -M option; each replaces the whole list.
struct cleanerconfig_s : INILoader {
  // In the order given, with repeats and empty entries as written.
  std::vector<std::wstring> modelList;
  // The unquoted values of those keys in section "Clean"; empty when missing.
  std::wstring unusedDriversValue;
  std::wstring driverPackagesValue;

  // Takes the unquoted "Models", "UnusedDrivers" and "DriverPackages" values of section
  // "Clean"; a missing "Models" is an empty list. Never fails.
  bool readValues(const IniDocument& document) override;

  // Replaces the models list by `text` split at "|". Always true.
  bool setModels(const std::wstring& text);
};

}  // namespace kv
