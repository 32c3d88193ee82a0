// Linux entry point of kvcheck's native build: arguments are converted from the system's narrow
// text.
#include <csignal>
#include <string>
#include <vector>

#include "check/check_main.h"
#include "system/system_services.h"

int main(int argc, char* argv[]) {
  // A reader that went away ends the report, not the check: its exit code stands.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(kv::SystemServices::current().ansiToWide(argv[i]));
  }
  return kv::checkMain(args);
}
