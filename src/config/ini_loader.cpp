#include "config/ini_loader.h"

namespace kv {

bool INILoader::load(const std::wstring& path) {
  IniDocument document(IniStorage::AnsiCodePage);
  if (document.loadFile(path) < 0) return false;
  return readValues(document);
}

bool INILoader::readValues(const IniDocument&) { return true; }

}  // namespace kv
