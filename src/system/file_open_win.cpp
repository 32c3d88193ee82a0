#include <share.h>

#include "system/file_open.h"

namespace kv {

std::FILE* openFileForWriting(const std::wstring& path) {
  return _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
}

}  // namespace kv
