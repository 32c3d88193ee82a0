#pragma once

#include <cstdio>
#include <string>

namespace kv {

// Opens `path` for binary reading; null when it cannot be opened. One implementation per
// platform; the caller closes the file.
std::FILE* openFileForReading(const std::wstring& path);

}  // namespace kv
