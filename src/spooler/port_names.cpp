#include "spooler/port_names.h"

#include <algorithm>
#include <cwctype>

namespace kv {
namespace {

wchar_t folded(wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }

}  // namespace

bool portNameLess(std::wstring_view a, std::wstring_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](wchar_t x, wchar_t y) { return folded(x) < folded(y); });
}

bool samePortName(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](wchar_t x, wchar_t y) { return folded(x) == folded(y); });
}

std::vector<std::wstring_view> portsOfText(std::wstring_view text) {
  std::vector<std::wstring_view> ports;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(L',', start), text.size());
    if (comma > start) ports.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return ports;
}

}  // namespace kv
