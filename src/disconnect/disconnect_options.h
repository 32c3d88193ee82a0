#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv {

// What kvdisconnect is asked to do: one of these, with the options that go with it.
enum class DisconnectAction {
  Remove,      // -C: the maker's connections of the signed-in user
  Rehearse,    // -T: the same, deleting nothing
  Register,    // -R: -C at every user's next logon
  Unregister,  // -U
};

struct DisconnectOptions {
  DisconnectAction action = DisconnectAction::Remove;
  bool echo = false;                       // -V, with -C or -T
  std::optional<std::wstring> configFile;  // -F
  std::optional<std::wstring> models;      // -M
  std::optional<std::wstring> logLevel;    // -L, with -C or -T
};

// The usage lines shown with every refusal.
extern const wchar_t kDisconnectUsage[];

// Parses args[1…] strictly: "-X" switches in either letter case, a value option's value either
// joined ("-Fcfg.ini") or as the next argument. Refuses, with one line saying why: an argument
// that is not an option, an unknown option, letters after a switch, a value option without its
// value, an option given twice, none or more than one of -C, -T, -R, -U, options that do not go
// with the one given, a -L level the log does not know, and with -R a -F that is no full path or
// a value with a quote or a final backslash, which the registered command could not pass on.
// Returns nullopt with that line (and the usage) in `messages` then.
std::optional<DisconnectOptions> parseDisconnectCommandLine(const std::vector<std::wstring>& args,
                                                            std::wstring& messages);

}  // namespace kv
