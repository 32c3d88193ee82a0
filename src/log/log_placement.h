#pragma once

#include <string>

namespace kv {

inline constexpr wchar_t kDetailLogSuffix[] = L".KVTOOL_CLEANER.log";
inline constexpr wchar_t kOperationLogName[] = L"Operation.log";

// The current local time as "MM/DD/YYYY hh:mm:ss" (24-hour clock).
std::wstring GetTimeText();

// Computer name and current local time as "NAME_MMDDYYYY_hhmmss", the detail log's name stem.
std::wstring GetFileStamp();

}  // namespace kv
