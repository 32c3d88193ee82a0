#pragma once

#include <optional>
#include <string>

namespace kv {

inline constexpr wchar_t kDetailLogSuffix[] = L".KVTOOL_CLEANER.log";
inline constexpr wchar_t kOperationLogName[] = L"Operation.log";

// %ALLUSERSPROFILE%\NOVAX, where the logs, the silent-mode settings file and the note of pending
// removals lie; nullopt when the variable is not set.
std::optional<std::wstring> makerFolder();

// Any local user may create folders in the all-users profile, so what the cleaner makes there is
// writable by administrators only (createProtectedDirectory). A folder already present is used as
// it is. True when something of that name is there afterwards.
bool makeProtectedLevel(const std::wstring& path);

// Finds or makes the default log directory, %ALLUSERSPROFILE%\NOVAX\MXQLOG, and stores it in
// `directory`. False, with `directory` unchanged, when the variable is not set or a level
// cannot be created. Only the NOVAX and MXQLOG levels are created, writable by administrators
// only (createProtectedDirectory); anything already present under those names counts, whatever
// its kind. When NOVAX is a junction or symbolic link, nothing is created behind it and the path
// is stored all the same.
bool GetLogDirectory(std::wstring& directory);

// The current local time as "MM/DD/YYYY hh:mm:ss" (24-hour clock).
std::wstring GetTimeText();

// Computer name and current local time as "NAME_MMDDYYYY_hhmmss", the detail log's name stem.
std::wstring GetFileStamp();

}  // namespace kv
