// Native build: the cleaner's Windows paths are mapped to POSIX ones.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "system/file_access.h"
#include "system/posix_path.h"

namespace kv {
namespace {

// A file descriptor, closed on every path out of the scope that holds it.
class ScopedDescriptor {
 public:
  explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~ScopedDescriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  ScopedDescriptor(const ScopedDescriptor&) = delete;
  ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;

  int get() const { return descriptor_; }
  int release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

}  // namespace

namespace {

// A file that is also reached by another name (a hard link) may be any file of the file system.
// A directory counts its subdirectories' ".." entries as names too, so it never counts here.
bool severalNames(const struct stat& info) { return !S_ISDIR(info.st_mode) && info.st_nlink > 1; }

enum class Writing { Empty, Append };

// Opens without following a link at `path` itself, and looks at the file before anything is
// emptied or written, so that a file with other names stays as it was.
std::FILE* openRefusingLink(const std::wstring& path, Writing writing) {
  const bool append = writing == Writing::Append;
  ScopedDescriptor file(
      ::open(toPosixPath(path).c_str(),
             O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (append ? O_APPEND : 0), 0666));
  if (file.get() < 0) return nullptr;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || severalNames(info)) return nullptr;
  if (!append && ::ftruncate(file.get(), 0) != 0) return nullptr;
  std::FILE* stream = ::fdopen(file.get(), append ? "ab" : "wb");
  if (stream != nullptr) file.release();  // the stream closes it now
  return stream;
}

}  // namespace

std::FILE* openFileForWriting(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return std::fopen(toPosixPath(path).c_str(), "wb");
  return openRefusingLink(path, Writing::Empty);
}

std::FILE* openFileForAppending(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return std::fopen(toPosixPath(path).c_str(), "ab");
  return openRefusingLink(path, Writing::Append);
}

bool hasOtherNames(const std::wstring& path) {
  struct stat info {};
  return ::lstat(toPosixPath(path).c_str(), &info) == 0 && severalNames(info);
}

std::FILE* openFileForReading(const std::wstring& path) {
  // Opened without waiting, so that a pipe without a writer is refused instead of blocking, and
  // without making a terminal the controlling one; the kind is decided on the open descriptor.
  ScopedDescriptor file(
      ::open(toPosixPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return nullptr;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const int flags = ::fcntl(file.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return nullptr;
  std::FILE* stream = ::fdopen(file.get(), "rb");
  if (stream != nullptr) file.release();  // the stream closes it now
  return stream;
}

bool lockOpenFile(std::FILE* file) { return ::flock(::fileno(file), LOCK_EX) == 0; }

void unlockOpenFile(std::FILE* file) { ::flock(::fileno(file), LOCK_UN); }

bool emptyOpenFile(std::FILE* file) {
  return std::fflush(file) == 0 && ::ftruncate(::fileno(file), 0) == 0 &&
         std::fseek(file, 0, SEEK_SET) == 0;
}

}  // namespace kv
