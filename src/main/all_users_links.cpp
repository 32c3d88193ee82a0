#include "main/all_users_links.h"

#include "system/system_services.h"

namespace kv {

std::optional<std::wstring> linkBelowAllUsersProfile(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  const std::optional<std::wstring> profile = system.environmentVariable(L"ALLUSERSPROFILE");
  if (!profile) return std::nullopt;
  const std::wstring root = *profile + L"\\";
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return std::nullopt;
  for (size_t end = path.find(L'\\', root.size());; end = path.find(L'\\', end + 1)) {
    const std::wstring entry = path.substr(0, end);
    if (system.isReparsePoint(entry)) return entry;
    if (end == std::wstring::npos) return std::nullopt;
  }
}

}  // namespace kv
