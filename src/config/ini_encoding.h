#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Editors save "Unicode" text as UTF-16 behind a byte-order mark, which SimpleIni cannot read:
// such a file is handed to it as UTF-8 instead. Every other file is read as it always was.

// Whether the bytes start with a UTF-16 byte-order mark: FF FE (little-endian) or FE FF
// (big-endian).
bool startsWithUtf16Mark(std::string_view bytes);

// A file that starts with a UTF-16 byte-order mark as UTF-8 behind the UTF-8 byte-order mark,
// which makes SimpleIni read it as UTF-8 whatever the document's storage. Nullopt when the
// UTF-16 is malformed (an odd byte count, a surrogate without its partner): such a file is
// damaged, and guessing at it could change which models are cleaned.
std::optional<std::string> utf16FileToUtf8(std::string_view bytes);

}  // namespace kv
