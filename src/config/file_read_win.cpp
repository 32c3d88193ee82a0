// Windows: the path is opened as wide text, so that no character is lost to the ANSI code page.
#include <cstdio>

#include "config/file_read_platform.h"

namespace kv {

std::FILE* openFileForReading(const std::wstring& path) { return _wfopen(path.c_str(), L"rb"); }

}  // namespace kv
