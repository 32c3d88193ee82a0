#pragma once

#include <optional>
#include <string>

namespace kv {

// Where a program may lie that Windows is to start in every user's session: only folders a
// standard user cannot write to, below %ProgramFiles% (and the 64-bit one, %ProgramW6432%, for the
// 32-bit program) or %SystemRoot%.

// `path` in the form two paths are compared in: "/" as "\", repeated separators as one, "." and
// ".." resolved, a "\\?\" prefix dropped, letters upper-cased. nullopt for anything but a full
// path on a drive ("X:\..."), and for ".." above the drive's root.
std::optional<std::wstring> comparablePath(const std::wstring& path);

// True when `path` lies inside `folder` (not the folder itself), both compared as above.
bool liesBelow(const std::wstring& path, const std::wstring& folder);

// True when `path` lies below one of the folders named above, as this process's environment
// gives them.
bool liesInProtectedFolder(const std::wstring& path);

// True for a full path on a drive, as liesBelow compares.
bool isFullDrivePath(const std::wstring& path);

}  // namespace kv
