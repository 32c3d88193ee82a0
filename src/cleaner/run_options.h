#pragma once

#include <optional>
#include <string>

namespace kv {

// The command-line settings, filled once by the parser and only read afterwards.
struct RunOptions {
  bool clean = false;  // -C: print objects are really deleted
  bool test = false;   // -T: simulation; wins over -C
  bool echo = false;   // -V or -Y: the detail log is echoed on the console
  // -P: errors are shown in message boxes. Start-up hands it to the dialogs, which the run
  // asks from then on (messageBoxesEnabled).
  bool popup = false;
  std::optional<std::wstring> logDirectory;  // -D
  std::optional<std::wstring> configFile;    // -F
  std::optional<std::wstring> logLevel;      // -L
  std::optional<std::wstring> models;        // -M
};

}  // namespace kv
