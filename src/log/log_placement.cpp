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
