#include "rules/driver_filter.h"

#include <cwctype>

namespace kv {
namespace {

// The maker's brand texts, in upper case, tried in this order.
constexpr const wchar_t* kBrandTexts[] = {
    L"HALDENJET",
    L"MARLOWE",
    L"KESTAVO",
    L"PRAVIK",
    L"ZUL",
    L"NOVAX",
    L"TORIN",
    L"NFG",
    L"PCL6 DRIVER FOR OMNI PRINT",
    L"PS DRIVER FOR OMNI PRINT",
};

}  // namespace

std::span<const wchar_t* const> brandTexts() { return kBrandTexts; }

void fillModelSet(const std::vector<std::wstring>& modelList, ModelSet& models) {
  models.clear();
  models.insert(modelList.begin(), modelList.end());
}

std::wstring upperCaseCopy(const std::wstring& text) {
  std::wstring upper = text;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
  return upper;
}

std::optional<std::wstring_view> brandWordIn(const std::wstring& driverName) {
  const std::wstring upper = upperCaseCopy(driverName);
  for (const wchar_t* brand : kBrandTexts) {
    if (upper.find(brand) != std::wstring::npos) return brand;
  }
  return std::nullopt;
}

bool IsBrandDriver(const std::wstring& driverName) { return brandWordIn(driverName).has_value(); }

bool IsModelDriver(const ModelSet& models, const std::wstring& driverName) {
  return models.contains(driverName);
}

DriverFilter chooseDriverFilter(const ModelSet& models) {
  return models.empty() ? DriverFilter::Brand : DriverFilter::Model;
}

bool passesDriverFilter(DriverFilter filter, const ModelSet& models,
                        const std::wstring& driverName) {
  return filter == DriverFilter::Model ? IsModelDriver(models, driverName)
                                       : IsBrandDriver(driverName);
}

}  // namespace kv
