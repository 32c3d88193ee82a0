// Linux entry point of kvdisconnect's native build: arguments are converted from the system's
// narrow text.
#include <string>
#include <vector>

#include "disconnect/disconnect_main.h"
#include "system/system_services.h"

int main(int argc, char* argv[]) {
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(kv::SystemServices::current().ansiToWide(argv[i]));
  }
  return kv::disconnectMain(args);
}
