#include "main/command_line.h"

#include <optional>

namespace kv {

int parseCommandLine(const std::vector<std::wstring>& args, RunOptions& options,
                     std::wstring& messages) {
  int errors = 0;
  bool cleanGiven = false;
  bool testGiven = false;
  bool yGiven = false;

  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg.empty() || arg[0] != L'-') {
      messages += L"Illegal character (" + arg + L")\n";
      ++errors;
      continue;
    }
    const wchar_t letter = arg.size() > 1 ? arg[1] : L'\0';
    std::optional<std::wstring>* valueField = nullptr;
    switch (letter) {
      case L'C':
      case L'c':
        options.clean = true;
        cleanGiven = true;
        break;
      case L'T':
      case L't':
        options.test = true;
        testGiven = true;
        break;
      case L'V':
      case L'v':
        options.echo = true;
        break;
      case L'Y':
      case L'y':
        yGiven = true;
        break;
      case L'P':
      case L'p':
        options.popup = true;
        break;
      case L'D':
      case L'd':
        valueField = &options.logDirectory;
        break;
      case L'F':
      case L'f':
        valueField = &options.configFile;
        break;
      case L'L':
      case L'l':
        valueField = &options.logLevel;
        break;
      case L'M':
      case L'm':
        valueField = &options.models;
        break;
      default:
        messages += L"Illegal option (" + arg.substr(1) + L")\n";
        ++errors;
        break;
    }
    if (valueField == nullptr) continue;
    if (arg.size() > 2) {
      *valueField = arg.substr(2);
    } else if (i + 1 < args.size()) {
      // The next argument is the value, whatever it looks like.
      *valueField = args[++i];
    }
    // A value option that ends the command line with nothing after its letter is ignored.
  }

  if (yGiven) options.echo = true;
  if (options.test) options.clean = false;
  if (!cleanGiven && !testGiven) ++errors;
  return errors == 0 ? 0 : -1;
}

}  // namespace kv
