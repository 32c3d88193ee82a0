#pragma once

#include <string>
#include <vector>

namespace kv {

// Text helpers for INI values and the -M option.
//
// Blanks, for every trimming here: space, form feed, line feed, carriage return, horizontal tab
// and vertical tab.

// Removes the blanks at the end, then at the start. Returns `text`.
std::wstring& trimBlanks(std::wstring& text);

// Replaces `search` by `replacement` from left to right and returns how many were replaced.
// After each replacement the search resumes at the occurrence plus the longer of the two texts'
// lengths, so with a shorter replacement the characters right behind it are skipped: "\\\\"
// with "\\" -> "\" becomes "\\\", not "\\". An empty `search` replaces nothing.
int replaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement);

// Splits `text` at `separator` and appends each item, trimmed of blanks, to `target`. A text
// that ends with the separator gives no empty item after it and an empty text gives no item;
// every other empty item is kept unless `skipEmpty` is set. Returns `target`.
std::vector<std::wstring>& splitList(const std::wstring& text, wchar_t separator, bool skipEmpty,
                                     std::vector<std::wstring>& target);

// An INI value as the configuration means it, in this order: trimmed; enclosing double quotes
// dropped, but only when the value holds "=", "," or ";" (other quoted values keep them); each
// backslash-quote made a quote and each backslash pair one backslash; one leading "@" dropped.
std::wstring unquoteValue(const std::wstring& text);

}  // namespace kv
