#pragma once

#include <string>
#include <string_view>

namespace kv {

// UTF-8 <-> wide text. wchar_t holds UTF-32 on Linux and UTF-16 on Windows; both are handled.
// Malformed input becomes U+FFFD; nothing throws.
std::wstring utf8ToWide(std::string_view text);
std::string wideToUtf8(std::wstring_view text);

}  // namespace kv
