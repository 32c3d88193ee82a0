#include "system/file_access.h"

#include <cstdio>
#include <memory>
#include <new>
#include <utility>

namespace kv {

FileReadResult readWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFileForReading(path),
                                                             &std::fclose);
  if (!file) return FileReadResult::CannotOpen;

  // Read in chunks to the end rather than by the size the system reports, so that a file that
  // grows while it is read, or whose size is reported wrongly, can never push the buffer past
  // the limit.
  std::string content;
  char chunk[64 * 1024];
  try {
    for (;;) {
      const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
      if (got > maxBytes - content.size()) return FileReadResult::TooLarge;
      content.append(chunk, got);
      if (got < sizeof chunk) break;
    }
  } catch (const std::bad_alloc&) {
    return FileReadResult::NoMemory;
  }
  if (std::ferror(file.get())) return FileReadResult::CannotOpen;
  bytes = std::move(content);
  return FileReadResult::Read;
}

bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
  // What is written whole is the settings file (saved, or its earlier bytes put back), which lies
  // below the all-users profile where a user may have planted a link: a link is never followed.
  std::FILE* file = openFileForWriting(path, LinkAtPath::Refuse);
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // A full disk may show only when the buffered bytes are flushed at the close.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace kv
