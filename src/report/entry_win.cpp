// Windows entry point of kvreport: the command line arrives as wide text, and folder names keep
// every UTF-16 unit.
#include <filesystem>
#include <vector>

#include "report/report_main.h"
#include "system/system_library_win.h"

int wmain(int argc, wchar_t* argv[]) {
  kv::restrictDllSearchToSystemFolder();
  std::vector<std::filesystem::path> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return kv::reportMain(args);
}
