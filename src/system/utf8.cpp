#include "system/utf8.h"

#include <cstdint>

namespace kv {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendWide(std::wstring& out, char32_t code) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(code));
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// What a lead byte starts: how many continuation bytes follow, and the range of the first one.
// The narrowed first ranges leave out overlong forms, surrogates and values above U+10FFFF, so
// that every completed sequence is a valid character. No continuations: not a lead byte.
struct Sequence {
  size_t continuations;
  unsigned char firstLow;
  unsigned char firstHigh;
  char32_t leadBits;
};

Sequence sequenceStartedBy(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF, lead & 0x1Fu};
  if (lead == 0xE0) return {2, 0xA0, 0xBF, lead & 0x0Fu};
  if (lead == 0xED) return {2, 0x80, 0x9F, lead & 0x0Fu};
  if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF, lead & 0x0Fu};
  if (lead == 0xF0) return {3, 0x90, 0xBF, lead & 0x07u};
  if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF, lead & 0x07u};
  if (lead == 0xF4) return {3, 0x80, 0x8F, lead & 0x07u};
  return {0, 0, 0, 0};
}

}  // namespace

std::wstring utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      continue;
    }
    const Sequence sequence = sequenceStartedBy(lead);
    char32_t code = sequence.leadBits;
    unsigned char low = sequence.firstLow;
    unsigned char high = sequence.firstHigh;
    size_t taken = 0;
    while (taken < sequence.continuations && i < text.size()) {
      const auto next = static_cast<unsigned char>(text[i]);
      if (next < low || next > high) break;
      code = (code << 6) | (next & 0x3F);
      ++i;
      ++taken;
      low = 0x80;
      high = 0xBF;
    }
    // An invalid lead, or a sequence cut short, stands for one replacement character; decoding
    // resumes at the byte that did not continue it, which may start the next character.
    if (sequence.continuations == 0 || taken < sequence.continuations) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      continue;
    }
    appendWide(out, code);
  }
  return out;
}

std::string wideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      code &= 0xFFFF;
      if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
        const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacement;
    appendUtf8(out, code);
  }
  return out;
}

std::optional<std::string> utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  const auto unitAt = [&](size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? char32_t{first} << 8 | second : char32_t{second} << 8 | first;
  };
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); i += 2) {
    char32_t code = unitAt(i);
    if (code >= 0xDC00 && code <= 0xDFFF) return std::nullopt;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 2 == bytes.size()) return std::nullopt;
      const char32_t low = unitAt(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    appendUtf8(out, code);
  }
  return out;
}

}  // namespace kv
