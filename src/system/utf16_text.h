#pragma once

#include <string>
#include <string_view>

namespace kv {

// Wide text as UTF-16 code units and back. On Windows both are the same units; on Linux,
// where wchar_t holds UTF-32, characters beyond the basic plane become surrogate pairs.
// Malformed input becomes U+FFFD; nothing throws.
std::u16string toUtf16(std::wstring_view text);
std::wstring fromUtf16(std::u16string_view text);

}  // namespace kv
