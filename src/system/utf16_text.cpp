#include "system/utf16_text.h"

namespace kv {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::u16string toUtf16(std::wstring_view text) {
  std::u16string units;
  units.reserve(text.size());
  if constexpr (sizeof(wchar_t) == 2) {
    for (wchar_t c : text) units.push_back(static_cast<char16_t>(c));
  } else {
    for (wchar_t wide : text) {
      char32_t c = static_cast<char32_t>(wide);
      if (c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c)) c = kReplacement;
      if (c < 0x10000) {
        units.push_back(static_cast<char16_t>(c));
      } else {
        c -= 0x10000;
        units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      }
    }
  }
  return units;
}

std::wstring fromUtf16(std::u16string_view text) {
  std::wstring wide;
  wide.reserve(text.size());
  if constexpr (sizeof(wchar_t) == 2) {
    for (char16_t c : text) wide.push_back(static_cast<wchar_t>(c));
  } else {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char32_t c = text[i];
      if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
        wide.push_back(
            static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
        ++i;
      } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
        wide.push_back(static_cast<wchar_t>(kReplacement));
      } else {
        wide.push_back(static_cast<wchar_t>(c));
      }
    }
  }
  return wide;
}

}  // namespace kv
