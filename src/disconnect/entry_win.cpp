// Windows entry point of kvdisconnect: the command line arrives as wide text.
#include <string>
#include <vector>

#include "disconnect/disconnect_main.h"
#include "system/system_library_win.h"

int wmain(int argc, wchar_t* argv[]) {
  // Before anything can load a DLL by name: none may come from the program's folder.
  kv::restrictDllSearchToSystemFolder();
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
  return kv::disconnectMain(args);
}
