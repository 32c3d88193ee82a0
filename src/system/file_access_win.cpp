// Windows: paths are opened as wide text, so that no character is lost to the ANSI code page.
#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cstdint>

#include "system/file_access.h"
#include "system/win_handles.h"

namespace kv {
namespace {

// A file on a disk that is no directory. A device (COM1, NUL, "C:\cfg\aux.ini") is some other
// type, so it is refused before anything is read from it.
bool isRegularFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  return GetFileInformationByHandle(file, &information) &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A file that is also reached by another name (a hard link) may be any file of the volume,
// one only administrators may write among them. A directory has one name however it is counted.
bool severalNames(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && info.nNumberOfLinks > 1;
}

enum class Writing { Empty, Append };

// Access for each kind of writing. LockFileEx needs a handle with GENERIC_READ or GENERIC_WRITE
// (the kernel checks for read or write data access), which FILE_APPEND_DATA alone is not: the
// append handle adds GENERIC_READ. Without FILE_WRITE_DATA every write still goes to the end.
DWORD accessFor(Writing writing) {
  return (writing == Writing::Append ? GENERIC_READ | FILE_APPEND_DATA : GENERIC_WRITE) |
         FILE_READ_ATTRIBUTES;
}

// The entry at `path` is opened as it stands and looked at before anything is emptied or written,
// so a link, a file with other names and what they lead to stay as they were. The sharing is that
// of _SH_DENYNO.
std::FILE* openRefusingLink(const std::wstring& path, Writing writing) {
  const bool append = writing == Writing::Append;
  UniqueFileHandle handle(
      CreateFileW(path.c_str(), accessFor(writing), FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return nullptr;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return nullptr;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || severalNames(info)) {
    return nullptr;
  }
  if (!append && !SetEndOfFile(handle.get())) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle.get()),
                                 _O_WRONLY | _O_BINARY | (append ? _O_APPEND : 0));
  if (fd == -1) return nullptr;
  handle.release();  // the descriptor owns it now
  std::FILE* file = _fdopen(fd, append ? "ab" : "wb");
  if (file == nullptr) _close(fd);
  return file;
}

}  // namespace

// Following links, the C runtime opens the file: "wb" and "ab" are _O_WRONLY, so the handle has
// GENERIC_WRITE (and the lock with it); "ab" appends by seeking to the end before each write.
std::FILE* openFileForWriting(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
  return openRefusingLink(path, Writing::Empty);
}

std::FILE* openFileForAppending(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return _wfsopen(path.c_str(), L"ab", _SH_DENYNO);
  return openRefusingLink(path, Writing::Append);
}

bool hasOtherNames(const std::wstring& path) {
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return file && GetFileInformationByHandle(file.get(), &info) && severalNames(info);
}

std::FILE* openFileForReading(const std::wstring& path) {
  // Shared as _wfopen shares, so that others may go on reading and writing the file.
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !isRegularFile(file.get())) return nullptr;
  const int descriptor =
      _open_osfhandle(reinterpret_cast<std::intptr_t>(file.get()), _O_RDONLY | _O_BINARY);
  if (descriptor == -1) return nullptr;
  file.release();  // the descriptor owns the handle now
  std::FILE* stream = _fdopen(descriptor, "rb");
  // The stream would own the descriptor; without one it is closed here, and the handle with it.
  if (stream == nullptr) _close(descriptor);
  return stream;
}

namespace {

HANDLE handleOf(std::FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

// Windows locks are mandatory: while a run holds a lock, other handles can neither read nor write
// the locked bytes. The writers take turns by the lock alone, so it covers one byte far beyond any
// end the file will have, where nobody reads: an administrator can read the log during a run.
OVERLAPPED lockedByte() {
  OVERLAPPED at{};
  at.Offset = MAXDWORD - 1;
  at.OffsetHigh = 0x7FFFFFFF;
  return at;
}

}  // namespace

bool lockOpenFile(std::FILE* file) {
  OVERLAPPED at = lockedByte();
  return LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
}

void unlockOpenFile(std::FILE* file) {
  OVERLAPPED at = lockedByte();
  UnlockFileEx(handleOf(file), 0, 1, 0, &at);
}

bool emptyOpenFile(std::FILE* file) {
  return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0 &&
         std::fseek(file, 0, SEEK_SET) == 0;
}

}  // namespace kv
