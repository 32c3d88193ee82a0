#pragma once

#include <windows.h>

#include <string>

namespace kv::testmon {

// Appends `size` bytes to the file at `path`, creating it when needed. ERROR_SUCCESS or the
// platform's code; nothing is written when the path is empty.
DWORD appendRecord(const std::wstring& path, const BYTE* data, DWORD size);

}  // namespace kv::testmon
