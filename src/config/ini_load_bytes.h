#pragma once

#include <new>
#include <optional>
#include <string>

#include "config/ini_document.h"
#include "config/ini_encoding.h"

namespace kv {

// Parses `bytes` into a SimpleIni document of either platform's instantiation; a UTF-16 file
// (see ini_encoding.h) as UTF-8, or kIniFail when it is malformed. SimpleIni's tables allocate
// with the throwing operator new; running out of memory is its own error code.
template <class SimpleIniDocument>
int loadIniBytes(SimpleIniDocument& ini, const std::string& bytes) {
  try {
    if (!startsWithUtf16Mark(bytes)) return ini.LoadData(bytes.data(), bytes.size());
    const std::optional<std::string> utf8 = utf16FileToUtf8(bytes);
    if (!utf8) return kIniFail;
    return ini.LoadData(utf8->data(), utf8->size());
  } catch (const std::bad_alloc&) {
    return kIniNoMemory;
  }
}

// Sets one value, or gives the document's bytes, with SimpleIni's allocation failures as their
// own error code, as loadIniBytes does.
template <class SimpleIniDocument, class Char>
int setIniValue(SimpleIniDocument& ini, const Char* section, const Char* key, const Char* value) {
  try {
    return ini.SetValue(section, key, value, nullptr, false);
  } catch (const std::bad_alloc&) {
    return kIniNoMemory;
  }
}

template <class SimpleIniDocument>
int saveIniBytes(const SimpleIniDocument& ini, std::string& bytes) {
  try {
    return ini.Save(bytes, ini.IsUnicode());
  } catch (const std::bad_alloc&) {
    return kIniNoMemory;
  }
}

}  // namespace kv
