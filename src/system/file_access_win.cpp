// Windows: paths are opened as wide text, so that no character is lost to the ANSI code page.
#include <share.h>

#include "system/file_access.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path) {
  return _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
}

std::FILE* openFileForReading(const std::wstring& path) { return _wfopen(path.c_str(), L"rb"); }

}  // namespace kv
