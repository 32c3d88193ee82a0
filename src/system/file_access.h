#pragma once

#include <cstddef>
#include <cstdio>
#include <limits>
#include <string>

namespace kv {

// The one place where the cleaner opens files by path. Paths are Windows paths; the native build
// maps "\" to "/". One implementation of the opening calls per platform.

// What opening a file for writing does when `path` itself names a junction or symbolic link, or
// a file with more than one name (a hard link, which may be another name of any file on the
// volume, one that only administrators may write among them).
// Refuse: the link is not followed, the open fails and whatever the link leads to stays as it
// was (Windows: the file is opened with FILE_FLAG_OPEN_REPARSE_POINT, and its attributes and
// nNumberOfLinks are read from the open handle before it is emptied or written; POSIX: O_NOFOLLOW,
// then st_nlink by fstat). The folders on the way are followed either way.
enum class LinkAtPath { Follow, Refuse };

// Opens `path` for binary writing, creating it or emptying it; other processes may read and
// write the file while it is open. Null when it cannot be opened, or when `path` is a link or a
// file with more than one name and `links` is Refuse. The caller closes it.
std::FILE* openFileForWriting(const std::wstring& path, LinkAtPath links = LinkAtPath::Follow);

// Opens `path` for binary appending, creating it when missing; every write goes to the end of the
// file. Other processes may read and write the file while it is open. Null when it cannot be
// opened, or when `path` is a link or a file with more than one name and `links` is Refuse. The
// caller closes it.
std::FILE* openFileForAppending(const std::wstring& path, LinkAtPath links = LinkAtPath::Follow);

// True when the file at `path` has more than one name (a hard link), looked at without following
// a link at `path`. False for a directory, a missing file and one that cannot be looked at; the
// opening calls above check the open file again.
bool hasOtherNames(const std::wstring& path);

// Opens `path` for binary reading when it names a regular file. Null when it cannot be opened or
// names anything else: a directory, a device (COM1, NUL, a name such as "aux.ini" that Windows
// takes for a device) or a pipe. Nothing is read while deciding, and a pipe without a writer
// does not keep the call waiting. The caller closes it.
std::FILE* openFileForReading(const std::wstring& path);

// Holds the lock of an open file for this process until unlockOpenFile, waiting while another
// process holds it; several processes writing one log take turns that way. Readers are never kept
// out (on Windows the lock covers one byte far beyond the file's end). False when the lock cannot
// be had (the caller then writes without it). Every file the opening calls above give can be
// locked: on Windows each handle has read or write data access, which LockFileEx requires.
// While it is held, the other processes wait: the holder gives it back as soon as it may (see
// AnsiFileBuffer::lockForLine for how long a log keeps it).
bool lockOpenFile(std::FILE* file);
void unlockOpenFile(std::FILE* file);

// Empties an open file and puts the position at its start. False when it cannot be emptied.
bool emptyOpenFile(std::FILE* file);

enum class FileReadResult { Read, CannotOpen, TooLarge, NoMemory };

// For readWholeFile: a file is read whatever its size, as long as memory allows.
inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// Reads the whole regular file at `path` (see openFileForReading) into `bytes` when it holds at
// most `maxBytes` bytes. CannotOpen also when it is no regular file or a read fails; NoMemory
// when its bytes do not fit into memory. `bytes` is changed only on Read.
FileReadResult readWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes);

// Creates or empties the file at `path` and writes `bytes` to it. False when the file cannot be
// opened (a link or a file with more than one name at `path` is refused, see LinkAtPath) or not
// every byte reached it.
bool writeWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace kv
