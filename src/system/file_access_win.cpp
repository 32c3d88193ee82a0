// Windows: paths are opened as wide text, so that no character is lost to the ANSI code page.
#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cstdint>

#include "system/file_access.h"
#include "system/win_handles.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path, LinkAtPath links) {
  if (links == LinkAtPath::Follow) return _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
  // The entry is opened as it stands and looked at before anything is emptied, so a link and
  // what it leads to stay as they were. The sharing is that of _SH_DENYNO.
  UniqueFileHandle handle(CreateFileW(
      path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return nullptr;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return nullptr;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return nullptr;
  if (!SetEndOfFile(handle.get())) return nullptr;
  const int fd =
      _open_osfhandle(reinterpret_cast<std::intptr_t>(handle.get()), _O_WRONLY | _O_BINARY);
  if (fd == -1) return nullptr;
  handle.release();  // the descriptor owns it now
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
  return file;
}

std::FILE* openFileForReading(const std::wstring& path) { return _wfopen(path.c_str(), L"rb"); }

}  // namespace kv
