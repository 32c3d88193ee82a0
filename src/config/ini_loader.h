#pragma once

#include <string>

#include "config/ini_document.h"

namespace kv {

// Base of the configuration records that are read from an INI file in the ANSI code page.
class INILoader {
 public:
  virtual ~INILoader() = default;

  // Loads the file at `path` and lets the record read its values from it. False when the file
  // cannot be loaded (the record is then unchanged), else what readValues returns.
  bool load(const std::wstring& path);

  // Copies the record's values out of a loaded document. The base reads nothing.
  virtual bool readValues(const IniDocument& document);
};

}  // namespace kv
