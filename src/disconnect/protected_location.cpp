#include "disconnect/protected_location.h"

#include <cwctype>
#include <vector>

#include "system/system_services.h"

namespace kv {

std::optional<std::wstring> comparablePath(const std::wstring& path) {
  std::wstring text = path;
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  if (text.rfind(L"\\\\?\\", 0) == 0) text.erase(0, 4);
  const bool drive = text.size() >= 3 && std::iswalpha(static_cast<wint_t>(text[0])) &&
                     text[1] == L':' && text[2] == L'\\';
  if (!drive) return std::nullopt;
  std::vector<std::wstring> segments;
  std::size_t at = 3;
  while (at <= text.size()) {
    std::size_t end = text.find(L'\\', at);
    if (end == std::wstring::npos) end = text.size();
    std::wstring segment = text.substr(at, end - at);
    // Windows drops trailing dots and blanks of a name: "Program Files." is "Program Files".
    while (!segment.empty() && (segment.back() == L'.' || segment.back() == L' ') &&
           segment != L"." && segment != L"..") {
      segment.pop_back();
    }
    if (segment == L"..") {
      if (segments.empty()) return std::nullopt;
      segments.pop_back();
    } else if (!segment.empty() && segment != L".") {
      segments.push_back(std::move(segment));
    }
    at = end + 1;
  }
  std::wstring result = text.substr(0, 2);
  for (const std::wstring& segment : segments) result += L"\\" + segment;
  for (wchar_t& c : result) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return result;
}

bool liesBelow(const std::wstring& path, const std::wstring& folder) {
  const std::optional<std::wstring> inner = comparablePath(path);
  const std::optional<std::wstring> outer = comparablePath(folder);
  if (!inner || !outer) return false;
  const std::wstring prefix = *outer + L"\\";
  return inner->size() > prefix.size() && inner->compare(0, prefix.size(), prefix) == 0;
}

bool liesInProtectedFolder(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  for (const wchar_t* variable : {L"ProgramFiles", L"ProgramW6432", L"SystemRoot"}) {
    const std::optional<std::wstring> folder = system.environmentVariable(variable);
    if (folder && liesBelow(path, *folder)) return true;
  }
  return false;
}

bool isFullDrivePath(const std::wstring& path) { return comparablePath(path).has_value(); }

}  // namespace kv
