// The configuration's text helpers. The input is three fields separated by NUL bytes, as UTF-8:
// a search text, a replacement and the text itself. Checked: trimBlanks leaves no blank at
// either end and only cuts; splitList gives trimmed items without the separator, no more than
// one per separator plus one; unquoteValue never lengthens; replaceAll changes the length by
// exactly the replacements it counts, and nothing when it counts none.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/config_text.h"
#include "fuzz_input.h"
#include "system/utf8.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

bool isBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

bool trimmed(const std::wstring& text) {
  return text.empty() || (!isBlank(text.front()) && !isBlank(text.back()));
}

void checkSplit(const std::wstring& text, wchar_t separator, bool skipEmpty) {
  std::vector<std::wstring> items{L"kept"};
  kv::splitList(text, separator, skipEmpty, items);
  const auto separators = static_cast<std::size_t>(std::count(text.begin(), text.end(), separator));
  require(items.front() == L"kept" && items.size() - 1 <= separators + 1);
  for (std::size_t i = 1; i < items.size(); ++i) {
    require(trimmed(items[i]) && items[i].find(separator) == std::wstring::npos);
    require(!skipEmpty || !items[i].empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kv::fuzz::FuzzInput input(data, size);
  const std::wstring search = kv::utf8ToWide(input.field(0));
  const std::wstring replacement = kv::utf8ToWide(input.field(0));
  const std::wstring text = kv::utf8ToWide(input.field(0));

  std::wstring cut = text;
  kv::trimBlanks(cut);
  require(trimmed(cut) && text.find(cut) != std::wstring::npos);

  for (const bool skipEmpty : {false, true}) {
    checkSplit(text, L'|', skipEmpty);
    checkSplit(text, L',', skipEmpty);
  }

  require(kv::unquoteValue(text).size() <= text.size());

  std::wstring replaced = text;
  const int count = kv::replaceAll(replaced, search, replacement);
  require(count >= 0);
  if (count == 0) require(replaced == text);
  require(replaced.size() == text.size() + count * replacement.size() - count * search.size());
  return 0;
}
