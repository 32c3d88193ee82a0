#include "system/file_open.h"
#include "system/posix_path.h"
#include "system/utf8.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path) {
  return std::fopen(toPosixPath(path).c_str(), "wb");
}

}  // namespace kv
