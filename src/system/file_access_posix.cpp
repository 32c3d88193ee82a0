// Native build: the cleaner's Windows paths are mapped to POSIX ones.
#include <fcntl.h>
#include <unistd.h>

#include "system/file_access.h"
#include "system/posix_path.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return std::fopen(toPosixPath(path).c_str(), "wb");
  const int fd = ::open(toPosixPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::FILE* openFileForReading(const std::wstring& path) {
  return std::fopen(toPosixPath(path).c_str(), "rb");
}

}  // namespace kv
