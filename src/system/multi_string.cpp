#include "system/multi_string.h"

#include "system/utf16_text.h"

namespace kv {

std::string multiStringBytes(const std::vector<std::wstring>& texts) {
  std::u16string units;
  for (const std::wstring& text : texts) {
    units += toUtf16(text);
    units.push_back(u'\0');
  }
  units.push_back(u'\0');
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::vector<std::wstring> multiStringTexts(std::string_view bytes) {
  std::vector<std::wstring> texts;
  std::u16string text;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                            static_cast<unsigned char>(bytes[at + 1]) << 8);
    if (unit != u'\0') {
      text.push_back(unit);
      continue;
    }
    if (text.empty()) break;
    texts.push_back(fromUtf16(text));
    text.clear();
  }
  if (!text.empty()) texts.push_back(fromUtf16(text));
  return texts;
}

}  // namespace kv
