#include "config/config_text.h"

#include <algorithm>

namespace kv {
namespace {

constexpr wchar_t kBlanks[] = L" \f\n\r\t\v";

}  // namespace

std::wstring& trimBlanks(std::wstring& text) {
  const size_t last = text.find_last_not_of(kBlanks);
  if (last == std::wstring::npos) {
    text.clear();
    return text;
  }
  text.erase(last + 1);
  text.erase(0, text.find_first_not_of(kBlanks));
  return text;
}

int replaceAll(std::wstring& text, const std::wstring& search, const std::wstring& replacement) {
  // An empty search text would match everywhere without moving on.
  if (search.empty()) return 0;
  // One pass into a new text: replacing in place would shift the rest of the text at every
  // occurrence, which made a long value of backslashes take minutes.
  //
  // After a replacement the search resumes in the changed text at the occurrence plus the longer
  // of the two lengths. Behind the inserted replacement the changed text is the original one, so
  // in the original that is the end of the occurrence plus the part of the step that the
  // replacement did not fill: the characters there are copied unsearched.
  const size_t step = std::max(search.size(), replacement.size());
  const size_t skipped = step - replacement.size();
  int count = 0;
  size_t copied = 0;  // the original text before this is in `changed`
  size_t position = 0;
  std::wstring changed;
  while (position < text.size()) {
    const size_t found = text.find(search, position);
    if (found == std::wstring::npos) break;
    if (count == 0) changed.reserve(text.size());
    changed.append(text, copied, found - copied);
    changed += replacement;
    ++count;
    copied = found + search.size();
    position = copied + skipped;
  }
  if (count == 0) return 0;
  changed.append(text, copied, std::wstring::npos);
  text = std::move(changed);
  return count;
}

std::vector<std::wstring>& splitList(const std::wstring& text, wchar_t separator, bool skipEmpty,
                                     std::vector<std::wstring>& target) {
  size_t position = 0;
  while (position < text.size()) {
    const size_t end = text.find(separator, position);
    std::wstring item =
        text.substr(position, end == std::wstring::npos ? std::wstring::npos : end - position);
    position = end == std::wstring::npos ? text.size() : end + 1;
    trimBlanks(item);
    if (skipEmpty && item.empty()) continue;
    target.push_back(std::move(item));
  }
  return target;
}

std::wstring unquoteValue(const std::wstring& text) {
  std::wstring value = text;
  trimBlanks(value);
  const bool quoted = value.size() >= 2 && value.front() == L'"' && value.back() == L'"';
  if (quoted && value.find_first_of(L"=,;") != std::wstring::npos) {
    value.pop_back();
    value.erase(0, 1);
  }
  replaceAll(value, L"\\\"", L"\"");
  replaceAll(value, L"\\\\", L"\\");
  if (!value.empty() && value.front() == L'@') value.erase(0, 1);
  return value;
}

}  // namespace kv
