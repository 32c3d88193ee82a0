#pragma once

#include <cstddef>
#include <string>

namespace kv {

enum class FileReadResult { Read, CannotOpen, TooLarge };

// Reads the whole file at `path` (a Windows path; the native build maps "\" to "/") into
// `bytes` when it holds at most `maxBytes` bytes. `bytes` is changed only on Read.
FileReadResult readWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes);

}  // namespace kv
