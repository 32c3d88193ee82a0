#include "check/check_options.h"

#include "log/logger.h"

namespace kv {
namespace {

wchar_t upper(wchar_t letter) {
  return letter >= L'a' && letter <= L'z' ? static_cast<wchar_t>(letter - L'a' + L'A') : letter;
}

}  // namespace

const wchar_t kCheckUsage[] =
    L"Usage: kvcheck [-J | -S] [-F <file>] [-M <model>|<model>...]\n"
    L"Exit codes: 0 nothing of the maker, 113 the maker's objects stay and a clean run changes "
    L"none, 114 a clean run would still change something, 1 a wrong command line, 4 15 16 17 18 "
    L"115 the check could not finish.\n";

int parseCheckCommandLine(const std::vector<std::wstring>& args, CheckOptions& options,
                          std::wstring& messages) {
  std::wstring seen;
  const auto wrong = [&messages](const std::wstring& line) {
    messages += withVisibleControls(line) + L"\n";
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg.size() < 2 || arg[0] != L'-') {
      wrong(L"Not an option: \"" + arg + L"\".");
      continue;
    }
    const wchar_t letter = upper(arg[1]);
    const bool takesValue = letter == L'F' || letter == L'M';
    if (!takesValue && (arg.size() > 2 || (letter != L'J' && letter != L'S'))) {
      wrong(L"Unknown option: \"" + arg + L"\".");
      continue;
    }
    if (seen.find(letter) != std::wstring::npos) {
      wrong(L"Option -" + std::wstring(1, letter) + L" is given more than once.");
      if (takesValue && arg.size() == 2) ++i;  // its value is not another option
      continue;
    }
    seen.push_back(letter);
    if (!takesValue) {
      (letter == L'J' ? options.json : options.oneLine) = true;
      continue;
    }
    std::wstring value = arg.substr(2);
    if (arg.size() == 2 && i + 1 < args.size()) value = args[++i];
    if (value.empty()) {
      wrong(letter == L'F' ? L"Option -F needs the configuration file's name."
                           : L"Option -M needs the models, as \"<model>|<model>\".");
      continue;
    }
    (letter == L'F' ? options.configFile : options.models) = std::move(value);
  }
  if (options.json && options.oneLine) wrong(L"Options -J and -S cannot be given together.");
  if (messages.empty()) return 0;
  messages += kCheckUsage;
  return -1;
}

}  // namespace kv
