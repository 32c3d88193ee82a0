#include "log/user_log_folder.h"

#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr wchar_t kUserProfileVariable[] = L"LOCALAPPDATA";

// Runs started together race to make the level: the one that loses finds it made.
bool makeLevel(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  return system.pathExists(path) || system.createDirectory(path) || system.pathExists(path);
}

}  // namespace

bool userLogDirectory(std::wstring& directory) {
  SystemServices& system = SystemServices::current();
  const std::optional<std::wstring> profile = system.environmentVariable(kUserProfileVariable);
  if (!profile || profile->empty()) return false;
  const std::wstring maker = *profile + L"\\NOVAX";
  if (!makeLevel(maker)) return false;
  const std::wstring logs = maker + L"\\MXQLOG";
  if (!system.isReparsePoint(maker) && !makeLevel(logs)) return false;
  directory = logs;
  return true;
}

std::optional<std::wstring> userProfileLink(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  const std::optional<std::wstring> profile = system.environmentVariable(kUserProfileVariable);
  if (!profile || profile->empty()) return std::nullopt;
  const std::wstring root = *profile + L"\\";
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return std::nullopt;
  for (std::size_t end = path.find(L'\\', root.size());; end = path.find(L'\\', end + 1)) {
    const std::wstring entry = path.substr(0, end);
    if (system.isReparsePoint(entry)) return entry;
    if (end == std::wstring::npos) {
      return hasOtherNames(entry) ? std::optional(entry) : std::nullopt;
    }
  }
}

}  // namespace kv
