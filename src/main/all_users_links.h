#pragma once

#include <optional>
#include <string>

namespace kv {

// The starts of the Error lines for a file not written, or not deleted, because of a link.
inline constexpr wchar_t kRefusedWrite[] = L"Refused to write through a link: ";
inline constexpr wchar_t kRefusedDelete[] = L"Refused to delete through a link: ";

// Any local user may create entries in the all-users profile before an administrator's run, so
// a junction or symbolic link planted there could lead the cleaner's writes and deletions to a
// file of that user's choosing, and so could a hard link at the file itself (another name of a
// file only administrators may write). Returns the first entry below %ALLUSERSPROFILE% on the
// way to `path` (each folder from the profile down, then `path` itself) that is a reparse point,
// or `path` when it has more than one name; nullopt when there is none, when the variable is not
// set, or when `path` does not lie below it.
std::optional<std::wstring> linkBelowAllUsersProfile(const std::wstring& path);

// True, after the Error line naming the link on the detail log, when `path` may not be written
// because of a link on the way.
bool writeRefusedByLink(const std::wstring& path);

// Deletes the file at `path` when it is there, unless a link lies on the way (the Error line naming
// it instead). "Delete File : " at Debug level once it is deleted; a failure is not reported.
void deleteFileUnlessLinked(const std::wstring& path);

}  // namespace kv
