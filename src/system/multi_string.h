#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A list of texts as a REG_MULTI_SZ value holds it: each text's UTF-16 units (little-endian)
// and a terminator, then one more terminator. Texts must not hold U+0000.
std::string multiStringBytes(const std::vector<std::wstring>& texts);

// The texts of such bytes, up to the empty text that ends them (or the end of the bytes; an odd
// last byte is left out).
std::vector<std::wstring> multiStringTexts(std::string_view bytes);

}  // namespace kv
