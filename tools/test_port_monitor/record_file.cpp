#include "test_port_monitor/record_file.h"

#include "system/win_handles.h"

namespace kv::testmon {

DWORD appendRecord(const std::wstring& path, const BYTE* data, DWORD size) {
  if (path.empty()) return ERROR_SUCCESS;
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  if (size == 0) return ERROR_SUCCESS;
  DWORD written = 0;
  if (WriteFile(file.get(), data, size, &written, nullptr) == FALSE) return GetLastError();
  return written == size ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace kv::testmon
