#pragma once

#include <new>
#include <string>

#include "config/ini_document.h"

namespace kv {

// Parses `bytes` into a SimpleIni document of either platform's instantiation. SimpleIni's
// tables allocate with the throwing operator new; running out of memory is its own error code.
template <class SimpleIniDocument>
int loadIniBytes(SimpleIniDocument& ini, const std::string& bytes) {
  try {
    return ini.LoadData(bytes.data(), bytes.size());
  } catch (const std::bad_alloc&) {
    return kIniNoMemory;
  }
}

}  // namespace kv
