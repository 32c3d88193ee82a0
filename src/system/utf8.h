#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// UTF-8 <-> wide text. wchar_t holds UTF-32 on Linux and UTF-16 on Windows; both are handled.
// Malformed input becomes U+FFFD; nothing throws. In UTF-8 input, each byte that cannot start a
// character and each sequence cut short gives one U+FFFD, and decoding goes on at the first byte
// that does not continue the sequence; overlong forms, surrogates and values above U+10FFFF are
// malformed.
std::wstring utf8ToWide(std::string_view text);
std::string wideToUtf8(std::wstring_view text);

// UTF-16 text stored as bytes, little- or big-endian, as UTF-8. Strict, unlike the conversions
// above: nullopt when the bytes are cut short (an odd count) or a surrogate lacks its partner.
std::optional<std::string> utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace kv
