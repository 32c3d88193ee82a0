#include "cleaner/program_files.h"

#include "messages/message_file.h"

namespace kv {

std::wstring messageFileBeside(const std::wstring& programPath) {
  const size_t separator = programPath.find_last_of(L"\\/");
  const std::wstring directory =
      separator == std::wstring::npos ? std::wstring() : programPath.substr(0, separator + 1);
  return directory + kMessageFileName;
}

}  // namespace kv
