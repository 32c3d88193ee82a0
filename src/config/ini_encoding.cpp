#include "config/ini_encoding.h"

#include "system/utf8.h"

namespace kv {
namespace {

constexpr std::string_view kLittleEndianMark = "\xFF\xFE";
constexpr std::string_view kBigEndianMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

bool startsWithUtf16Mark(std::string_view bytes) {
  return bytes.starts_with(kLittleEndianMark) || bytes.starts_with(kBigEndianMark);
}

std::optional<std::string> utf16FileToUtf8(std::string_view bytes) {
  const bool bigEndian = bytes.starts_with(kBigEndianMark);
  std::optional<std::string> text = utf16BytesToUtf8(bytes.substr(2), bigEndian);
  if (text) text->insert(0, kUtf8Mark);
  return text;
}

}  // namespace kv
