#pragma once

#include <cstdio>
#include <string>

namespace kv {

// Opens `path` for binary writing, creating it or emptying it; other processes may read and
// write the file while it is open. Null when it cannot be opened. The caller closes it.
std::FILE* openFileForWriting(const std::wstring& path);

}  // namespace kv
