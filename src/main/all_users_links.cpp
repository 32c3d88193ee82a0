#include "main/all_users_links.h"

#include "log/logger.h"
#include "system/file_access.h"
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
    if (end == std::wstring::npos) {
      return hasOtherNames(entry) ? std::optional(entry) : std::nullopt;
    }
  }
}

bool writeRefusedByLink(const std::wstring& path) {
  const std::optional<std::wstring> link = linkBelowAllUsersProfile(path);
  if (link) detailLog().error() << kRefusedWrite << *link << endLine;
  return link.has_value();
}

void deleteFileUnlessLinked(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  if (!system.pathExists(path)) return;
  if (const std::optional<std::wstring> link = linkBelowAllUsersProfile(path)) {
    detailLog().error() << kRefusedDelete << *link << endLine;
    return;
  }
  if (system.deleteFile(path)) detailLog().debug() << L"Delete File : " << path << endLine;
}

}  // namespace kv
