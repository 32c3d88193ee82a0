// kvsetup: puts print objects on a Windows (or Wine) machine for the tests and the demo. Output
// is UTF-8 with "\n" line ends, so that scripts compare it byte for byte.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <string>
#include <vector>

#include "machine_setup/setup_command.h"
#include "system/utf8.h"

namespace {

void writeAll(std::FILE* stream, const std::wstring& text) {
  const std::string bytes = kv::wideToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  const std::vector<std::wstring> arguments(argv + 1, argv + argc);
  std::wstring out;
  std::wstring err;
  const int exitCode = kv::setup::runSetupCommand(arguments, out, err);
  writeAll(stdout, out);
  writeAll(stderr, err);
  return exitCode;
}
