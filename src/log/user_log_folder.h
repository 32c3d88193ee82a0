#pragma once

#include <optional>
#include <string>

namespace kv {

// The log folder of a program that runs as the signed-in user (kvdisconnect):
// %LOCALAPPDATA%\NOVAX\MXQLOG in the user's own profile, where the user may write and nobody
// else needs to. Links are refused as in the maker's folder below the all-users profile.

// Finds or makes %LOCALAPPDATA%\NOVAX\MXQLOG (default security: the user's own) and stores it
// in `directory`. False, with `directory` unchanged, when the variable is not set or a level
// cannot be made; nothing is made behind a junction or symbolic link, whose path is stored all
// the same (userProfileLink then names it).
bool userLogDirectory(std::wstring& directory);

// The first entry below %LOCALAPPDATA% on the way to `path` that is a junction or symbolic
// link, or `path` itself when it has more than one name; nullopt when there is none or `path`
// does not lie below the variable's folder.
std::optional<std::wstring> userProfileLink(const std::wstring& path);

}  // namespace kv
