// Native build: the cleaner's Windows paths are mapped to POSIX ones.
#include <cstdio>

#include "config/file_read_platform.h"
#include "system/posix_path.h"

namespace kv {

std::FILE* openFileForReading(const std::wstring& path) {
  return std::fopen(toPosixPath(path).c_str(), "rb");
}

}  // namespace kv
