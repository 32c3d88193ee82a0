#include "config/ini_document.h"

#include "system/file_access.h"

namespace kv {

// The file is read here rather than by SimpleIni's LoadFile, which opens wide paths only on
// Windows (and through a 256-byte buffer elsewhere) and would read a device such as COM1.
int IniDocument::loadFile(const std::wstring& path) {
  std::string bytes;
  switch (readWholeFile(path, kNoSizeLimit, bytes)) {
    case FileReadResult::Read:
      return loadBytes(bytes);
    case FileReadResult::NoMemory:
      return kIniNoMemory;
    default:
      return kIniFileError;
  }
}

// Written through the one file access point, for the same reasons as the reading above.
int IniDocument::saveFile(const std::wstring& path) const {
  std::string bytes;
  const int saved = saveBytes(bytes);
  if (saved < 0) return saved;
  return writeWholeFile(path, bytes) ? kIniOk : kIniFileError;
}

}  // namespace kv
