#include "disconnect/disconnect_options.h"

#include <cwctype>
#include <map>

#include "disconnect/protected_location.h"
#include "log/log_level.h"
#include "rules/logon_registration.h"

namespace kv {
namespace {

constexpr std::wstring_view kActions = L"CTRU";
constexpr std::wstring_view kSwitches = L"CTRUV";
constexpr std::wstring_view kValueOptions = L"FML";

std::wstring dashed(wchar_t letter) { return std::wstring(L"-") + letter; }

// The options given, by upper-case letter; a switch maps to an empty text.
using GivenOptions = std::map<wchar_t, std::wstring>;

// The first refusal, or an empty text when the arguments read as options.
std::wstring readOptions(const std::vector<std::wstring>& args, GivenOptions& given) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg.size() < 2 || arg[0] != L'-') return L"Not an option: \"" + arg + L"\"";
    const auto letter = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(arg[1])));
    const bool isSwitch = kSwitches.find(letter) != std::wstring_view::npos;
    const bool takesValue = kValueOptions.find(letter) != std::wstring_view::npos;
    if (!isSwitch && !takesValue) return L"Unknown option: " + arg;
    if (given.count(letter) != 0) return dashed(letter) + L" is given twice";
    if (isSwitch) {
      if (arg.size() > 2) return L"Letters after the switch " + dashed(letter) + L": " + arg;
      given[letter] = L"";
      continue;
    }
    std::wstring value = arg.substr(2);
    if (value.empty()) {
      if (i + 1 >= args.size()) return dashed(letter) + L" needs a value";
      value = args[++i];
    }
    if (value.empty()) return dashed(letter) + L" needs a value";
    given[letter] = value;
  }
  return L"";
}

// The refusal of a combination, or an empty text.
std::wstring checkCombination(const GivenOptions& given, wchar_t& action) {
  std::wstring actions;
  for (const wchar_t letter : kActions) {
    if (given.count(letter) != 0) actions += letter;
  }
  if (actions.empty()) return L"Give one of -C, -T, -R or -U";
  if (actions.size() > 1) return L"Give only one of -C, -T, -R or -U";
  action = actions[0];
  if (action == L'C' || action == L'T') return L"";
  for (const wchar_t letter : std::wstring_view(L"VL")) {
    if (given.count(letter) != 0) {
      return dashed(letter) + L" goes only with -C or -T";
    }
  }
  if (action == L'U' && given.size() > 1) return L"-U takes no other option";
  if (given.count(L'F') != 0 && given.count(L'M') != 0) return L"-R takes -F or -M, not both";
  return L"";
}

// -R passes -F and -M on to a command Windows starts in each user's session, in a folder of its
// own; -L names a level the log knows.
std::wstring checkValues(const GivenOptions& given, wchar_t action) {
  const auto found = [&given](wchar_t letter) {
    const auto at = given.find(letter);
    return at == given.end() ? nullptr : &at->second;
  };
  if (const std::wstring* level = found(L'L')) {
    std::wstring upper = *level;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    // levelFromName gives INFO for any name it does not know.
    if (levelFromName(*level) == LogLevel::Info && upper != L"INFO") {
      return L"-L takes OFF, FATAL, ERROR, WARN, WARNING, INFO, DEBUG or ALL: " + *level;
    }
  }
  if (action != L'R') return L"";
  const std::wstring* file = found(L'F');
  if (file && !isFullDrivePath(*file)) {
    return L"-F needs a full path with -R (the program starts in each user's session, in a "
           L"folder of its own): " +
           *file;
  }
  for (const std::wstring* value : {file, found(L'M')}) {
    if (value && !commandLineValueFits(*value)) {
      return L"A value with a quote, or ending in a backslash, cannot be passed on: " + *value;
    }
  }
  return L"";
}

}  // namespace

const wchar_t kDisconnectUsage[] =
    L"Usage: kvdisconnect -C | -T [-V] [-F file] [-M models] [-L level]\n"
    L"       kvdisconnect -R [-F file | -M models]\n"
    L"       kvdisconnect -U\n";

std::optional<DisconnectOptions> parseDisconnectCommandLine(const std::vector<std::wstring>& args,
                                                            std::wstring& messages) {
  GivenOptions given;
  wchar_t action = L'\0';
  std::wstring refusal = readOptions(args, given);
  if (refusal.empty()) refusal = checkCombination(given, action);
  if (refusal.empty()) refusal = checkValues(given, action);
  if (!refusal.empty()) {
    messages += refusal + L"\n" + kDisconnectUsage;
    return std::nullopt;
  }
  DisconnectOptions options;
  switch (action) {
    case L'T':
      options.action = DisconnectAction::Rehearse;
      break;
    case L'R':
      options.action = DisconnectAction::Register;
      break;
    case L'U':
      options.action = DisconnectAction::Unregister;
      break;
    default:
      options.action = DisconnectAction::Remove;
  }
  options.echo = given.count(L'V') != 0;
  const auto value = [&](wchar_t letter) -> std::optional<std::wstring> {
    const auto found = given.find(letter);
    if (found == given.end()) return std::nullopt;
    return found->second;
  };
  options.configFile = value(L'F');
  options.models = value(L'M');
  options.logLevel = value(L'L');
  return options;
}

}  // namespace kv
