#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// `text` with each %NAME% replaced by lookup(NAME), the rules of ExpandEnvironmentStringsW as
// Wine implements them: a name that lookup does not know keeps its %NAME% (an empty %% included)
// and the search goes on after its closing %; a % without a closing one and the rest after it
// stay as they are. For the platforms without that call and for stand-ins in tests.
std::wstring expandPercentNames(
    std::wstring_view text,
    const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup);

}  // namespace kv
