#include "system/environment_text.h"

namespace kv {

std::wstring expandPercentNames(
    std::wstring_view text,
    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup) {
  std::wstring expanded;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(L'%', at);
    const std::size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    expanded.append(text, at, open - at);
    const std::optional<std::wstring> value =
        lookup(std::wstring(text.substr(open + 1, close - open - 1)));
    if (value) {
      expanded += *value;
    } else {
      expanded.append(text, open, close + 1 - open);
    }
    at = close + 1;
  }
  if (at < text.size()) expanded.append(text, at);
  return expanded;
}

}  // namespace kv
