#include "config/ini_document.h"

#include "system/file_access.h"

namespace kv {

// The file is read here rather than by SimpleIni's LoadFile, which opens wide paths only on
// Windows (and through a 256-byte buffer elsewhere) and has no size limit.
int IniDocument::loadFile(const std::wstring& path) {
  std::string bytes;
  if (readWholeFile(path, kMaxIniFileBytes, bytes) != FileReadResult::Read) return kIniFileError;
  return loadBytes(bytes);
}

}  // namespace kv
