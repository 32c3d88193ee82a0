#pragma once

#include <string_view>
#include <vector>

namespace kv {

// The spooler compares port names without regard to letter case; these compare them the same
// way, each character upper-cased on its own under the current C locale.
bool portNameLess(std::wstring_view a, std::wstring_view b);
bool samePortName(std::wstring_view a, std::wstring_view b);

// The ports a queue's port text names: a pooled queue's text names several, separated by commas.
// Empty parts are left out; a text without a comma is its own only port.
std::vector<std::wstring_view> portsOfText(std::wstring_view text);

}  // namespace kv
