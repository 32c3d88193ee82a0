#include "rules/removal_opt_ins.h"

#include <cwctype>

namespace kv {

OptIn optInOf(const std::wstring& value) {
  if (value.empty()) return OptIn::Off;
  constexpr std::wstring_view kRemove = L"remove";
  if (value.size() != kRemove.size()) return OptIn::Unknown;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto lower = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(value[i])));
    if (lower != kRemove[i]) return OptIn::Unknown;
  }
  return OptIn::On;
}

RemovalOptIns removalOptInsOf(const cleanerconfig_s& config) {
  return RemovalOptIns{optInOf(config.unusedDriversValue), optInOf(config.driverPackagesValue)};
}

std::wstring optInsShown(const RemovalOptIns& optIns) {
  std::wstring shown;
  if (optIns.unusedDrivers == OptIn::On) shown += std::wstring(kUnusedDriversKey) + L"=Remove";
  if (optIns.driverPackages == OptIn::On) {
    if (!shown.empty()) shown += L' ';
    shown += std::wstring(kDriverPackagesKey) + L"=Remove";
  }
  return shown.empty() ? L"none" : shown;
}

std::wstring unknownOptInLine(const wchar_t* key, const std::wstring& value) {
  if (optInOf(value) != OptIn::Unknown) return {};
  return L"[" + std::wstring(kCleanSection) + L"] " + key + L"=" + value +
         L" is not a value the cleaner knows (only Remove): nothing of that kind is removed";
}

}  // namespace kv
