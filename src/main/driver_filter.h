#pragma once

#include <set>
#include <string>
#include <vector>

namespace kv {

// The models to clean, unique and compared code unit by code unit (no case folding, no
// trimming).
using ModelSet = std::set<std::wstring>;

// Empties `models` and fills it with every entry of `modelList`.
void fillModelSet(const std::vector<std::wstring>& modelList, ModelSet& models);

// `text` with each character upper-cased on its own under the current C locale.
std::wstring upperCaseCopy(const std::wstring& text);

// True when the driver name, upper-cased under the current C locale, contains one of the
// maker's brand texts anywhere, even inside a longer word.
bool IsBrandDriver(const std::wstring& driverName);

// True when the driver name is exactly one of the configured models.
bool IsModelDriver(const ModelSet& models, const std::wstring& driverName);

// Configured models replace the brand texts altogether.
enum class DriverFilter { Brand, Model };
DriverFilter chooseDriverFilter(const ModelSet& models);

// Whether a connection or queue with this driver is the maker's, by the chosen filter.
bool passesDriverFilter(DriverFilter filter, const ModelSet& models,
                        const std::wstring& driverName);

}  // namespace kv
