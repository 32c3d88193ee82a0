#pragma once

#include <string>

#include "system/utf8.h"

namespace kv {

// The cleaner builds Windows paths with "\" separators; the native Linux build maps them to "/"
// so that the same code finds the same files.
inline std::string toPosixPath(const std::wstring& path) {
  std::string converted = wideToUtf8(path);
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  return converted;
}

}  // namespace kv
