#pragma once

#include <cstddef>
#include <cstdio>
#include <limits>
#include <string>

namespace kv {

// The one place where the cleaner opens files by path. Paths are Windows paths; the native build
// maps "\" to "/". One implementation of the opening calls per platform.

// Opens `path` for binary writing, creating it or emptying it; other processes may read and
// write the file while it is open. Null when it cannot be opened. The caller closes it.
std::FILE* openFileForWriting(const std::wstring& path);

// Opens `path` for binary appending, creating it when missing; every write goes to the end of the
// file. Other processes may read and write the file while it is open. Null when it cannot be
// opened. The caller closes it.
std::FILE* openFileForAppending(const std::wstring& path);

// Opens `path` for binary reading when it names a regular file. Null when it cannot be opened or
// names anything else: a directory, a device (COM1, NUL, a name such as "aux.ini" that Windows
// takes for a device) or a pipe. Nothing is read while deciding, and a pipe without a writer
// does not keep the call waiting. The caller closes it.
std::FILE* openFileForReading(const std::wstring& path);

enum class FileReadResult { Read, CannotOpen, TooLarge, NoMemory };

// For readWholeFile: a file is read whatever its size, as long as memory allows.
inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

// Reads the whole regular file at `path` (see openFileForReading) into `bytes` when it holds at
// most `maxBytes` bytes. CannotOpen also when it is no regular file or a read fails; NoMemory
// when its bytes do not fit into memory. `bytes` is changed only on Read.
FileReadResult readWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes);

// Creates or empties the file at `path` and writes `bytes` to it. False when the file cannot be
// opened or not every byte reached it.
bool writeWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace kv
