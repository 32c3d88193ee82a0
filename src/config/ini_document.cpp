#include "config/ini_document.h"

#include "system/file_access.h"

namespace kv {

// The file is read here rather than by SimpleIni's LoadFile, which opens wide paths only on
// Windows (and through a 256-byte buffer elsewhere), has no size limit and would read a device
// such as COM1.
int IniDocument::loadFile(const std::wstring& path) {
  std::string bytes;
  if (readWholeFile(path, kMaxIniFileBytes, bytes) != FileReadResult::Read) return kIniFileError;
  return loadBytes(bytes);
}

// Written through the one file access point, for the same reasons as the reading above.
int IniDocument::saveFile(const std::wstring& path) const {
  std::string bytes;
  const int saved = saveBytes(bytes);
  if (saved < 0) return saved;
  return writeWholeFile(path, bytes) ? kIniOk : kIniFileError;
}

}  // namespace kv
