#include "log/maker_folder.h"

#include "log/logger.h"
#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr wchar_t kRefusedWrite[] = L"Refused to write through a link: ";
constexpr wchar_t kRefusedDelete[] = L"Refused to delete through a link: ";

// %ALLUSERSPROFILE%\NOVAX; nullopt when the variable is not set.
std::optional<std::wstring> makerFolder() {
  const std::optional<std::wstring> profile =
      SystemServices::current().environmentVariable(L"ALLUSERSPROFILE");
  if (!profile) return std::nullopt;
  return *profile + L"\\NOVAX";
}

// What the cleaner makes here is writable by administrators only (createProtectedDirectory). A
// folder already present is used as it is. True when something of that name is there afterwards.
bool makeProtectedLevel(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  // Runs started together race to make the level: the one that loses finds it made.
  return system.pathExists(path) || system.createProtectedDirectory(path) ||
         system.pathExists(path);
}

}  // namespace

std::optional<std::wstring> silentModeFilePath() {
  const std::optional<std::wstring> maker = makerFolder();
  if (!maker) return std::nullopt;
  return *maker + L"\\KVXCLEAN.ini";
}

bool makeMakerFolder() {
  const std::optional<std::wstring> maker = makerFolder();
  return maker && makeProtectedLevel(*maker);
}

bool GetLogDirectory(std::wstring& directory) {
  const std::optional<std::wstring> maker = makerFolder();
  if (!maker || !makeProtectedLevel(*maker)) return false;
  const std::wstring logs = *maker + L"\\MXQLOG";
  // Nothing is made behind a planted link; the path is kept, and start-up refuses to open the
  // logs through it.
  if (!SystemServices::current().isReparsePoint(*maker) && !makeProtectedLevel(logs)) return false;
  directory = logs;
  return true;
}

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

void reportRefusedWrite(const std::wstring& link) {
  detailLog().error() << kRefusedWrite << link << endLine;
}

bool writeRefusedByLink(const std::wstring& path) {
  const std::optional<std::wstring> link = linkBelowAllUsersProfile(path);
  if (link) reportRefusedWrite(*link);
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
