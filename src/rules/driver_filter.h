#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The models to clean, unique and compared code unit by code unit (no case folding, no
// trimming).
using ModelSet = std::set<std::wstring>;

// Empties `models` and fills it with every entry of `modelList`.
void fillModelSet(const std::vector<std::wstring>& modelList, ModelSet& models);

// `text` with each character upper-cased on its own under the current C locale.
std::wstring upperCaseCopy(const std::wstring& text);

// The maker's brand texts, in upper case, in the order they are tried.
std::span<const wchar_t* const> brandTexts();

// The first of the maker's brand texts (in upper case, in their fixed order) that the driver
// name, upper-cased under the current C locale, contains anywhere, even inside a longer word
// ("ZUL" in "Zulu Laser 9"); nullopt when it holds none.
std::optional<std::wstring_view> brandWordIn(const std::wstring& driverName);

// True when the driver name holds one of the brand texts (brandWordIn).
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
