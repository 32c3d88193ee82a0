#include "log/log_placement.h"

#include "system/system_services.h"

namespace kv {
namespace {

// Appends `value` in decimal with at least `width` digits, zero-filled.
void appendPadded(std::wstring& out, int value, size_t width) {
  std::wstring digits = std::to_wstring(value < 0 ? -value : value);
  if (value < 0) out.push_back(L'-');
  if (digits.size() < width) out.append(width - digits.size(), L'0');
  out += digits;
}

}  // namespace

std::optional<std::wstring> makerFolder() {
  const std::optional<std::wstring> profile =
      SystemServices::current().environmentVariable(L"ALLUSERSPROFILE");
  if (!profile) return std::nullopt;
  return *profile + L"\\NOVAX";
}

bool makeProtectedLevel(const std::wstring& path) {
  SystemServices& system = SystemServices::current();
  // Runs started together race to make the level: the one that loses finds it made.
  return system.pathExists(path) || system.createProtectedDirectory(path) ||
         system.pathExists(path);
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

std::wstring GetTimeText() {
  const LocalTime now = SystemServices::current().localTime();
  std::wstring text;
  appendPadded(text, now.month, 2);
  text += L'/';
  appendPadded(text, now.day, 2);
  text += L'/';
  appendPadded(text, now.year, 4);
  text += L' ';
  appendPadded(text, now.hour, 2);
  text += L':';
  appendPadded(text, now.minute, 2);
  text += L':';
  appendPadded(text, now.second, 2);
  return text;
}

std::wstring GetFileStamp() {
  SystemServices& system = SystemServices::current();
  const LocalTime now = system.localTime();
  std::wstring stamp = system.computerName();
  stamp += L'_';
  appendPadded(stamp, now.month, 2);
  appendPadded(stamp, now.day, 2);
  appendPadded(stamp, now.year, 4);
  stamp += L'_';
  appendPadded(stamp, now.hour, 2);
  appendPadded(stamp, now.minute, 2);
  appendPadded(stamp, now.second, 2);
  return stamp;
}

}  // namespace kv
