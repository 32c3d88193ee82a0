#pragma once

#include <optional>
#include <string>

namespace kv {

// The maker's folder, %ALLUSERSPROFILE%\NOVAX: the default log folder MXQLOG and the settings
// file KVXCLEAN.ini lie in it. Any local user may create entries in the all-users profile before
// an administrator's run, so the levels made here are writable by administrators only, and
// nothing is written or deleted through a link planted on the way. The lowest layer with the
// detail log, which names every refusal.

// %ALLUSERSPROFILE%\NOVAX\KVXCLEAN.ini, the settings file the maker's uninstallers read; nullopt
// when the variable is not set.
std::optional<std::wstring> silentModeFilePath();

// Finds or makes %ALLUSERSPROFILE%\NOVAX alone (writable by administrators only when made), for
// the settings file when the logs lie elsewhere (-D). False when the variable is not set or the
// folder cannot be made. A link there is not looked at: the writes below it refuse it.
bool makeMakerFolder();

// Finds or makes the default log directory, %ALLUSERSPROFILE%\NOVAX\MXQLOG, and stores it in
// `directory`. False, with `directory` unchanged, when the variable is not set or a level
// cannot be created. Only the NOVAX and MXQLOG levels are created, writable by administrators
// only (createProtectedDirectory); anything already present under those names counts, whatever
// its kind. When NOVAX is a junction or symbolic link, nothing is created behind it and the path
// is stored all the same.
bool GetLogDirectory(std::wstring& directory);

// A junction or symbolic link planted below the profile could lead the cleaner's writes and
// deletions to a file of that user's choosing, and so could a hard link at the file itself
// (another name of a file only administrators may write). Returns the first entry below
// %ALLUSERSPROFILE% on the way to `path` (each folder from the profile down, then `path` itself)
// that is a reparse point, or `path` when it has more than one name; nullopt when there is none,
// when the variable is not set, or when `path` does not lie below it.
std::optional<std::wstring> linkBelowAllUsersProfile(const std::wstring& path);

// The Error line naming `link`, on the detail log, for a file not written because of it.
void reportRefusedWrite(const std::wstring& link);

// True, after reportRefusedWrite, when `path` may not be written because of a link on the way.
bool writeRefusedByLink(const std::wstring& path);

// Deletes the file at `path` when it is there, unless a link lies on the way (the Error line naming
// it instead). "Delete File : " at Debug level once it is deleted; a failure is not reported.
void deleteFileUnlessLinked(const std::wstring& path);

}  // namespace kv
