// Native build: the cleaner's Windows paths are mapped to POSIX ones.
#include "system/file_access.h"
#include "system/posix_path.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path) {
  return std::fopen(toPosixPath(path).c_str(), "wb");
}

std::FILE* openFileForReading(const std::wstring& path) {
  return std::fopen(toPosixPath(path).c_str(), "rb");
}

}  // namespace kv
