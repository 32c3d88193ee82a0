#include "disconnect/disconnect_main.h"

#include <clocale>

#include "messages/result_codes.h"
#include "system/system_services.h"

namespace kv {
namespace {

int runDisconnect(const std::vector<std::wstring>& args) {
  // Upper-casing follows the user's locale, as in the cleaner.
  std::setlocale(LC_ALL, "");
  std::wstring messages;
  const std::optional<DisconnectOptions> options = parseDisconnectCommandLine(args, messages);
  if (!options) {
    SystemServices::current().writeConsole(ConsoleStream::Err, messages);
    return 1;
  }
  switch (options->action) {
    case DisconnectAction::Register:
      return registerForLogons(*options);
    case DisconnectAction::Unregister:
      return unregisterFromLogons();
    default:
      return removeUsersConnections(*options);
  }
}

}  // namespace

int disconnectMain(const std::vector<std::wstring>& args) {
  try {
    return runDisconnect(args);
  } catch (...) {
    // Running out of memory is what raises here; the line is a fixed text for that reason.
    SystemServices::current().writeConsole(ConsoleStream::Err,
                                           L"Unexpected failure: kvdisconnect could not go on.\n");
  }
  return kResultCommandFailed;
}

}  // namespace kv
