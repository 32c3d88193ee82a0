#include "cleaner/command_line.h"

#include "rules/option_letters.h"

namespace kv {

int parseCommandLine(const std::vector<std::wstring>& args, RunOptions& options,
                     std::wstring& messages) {
  bool cleanGiven = false;
  bool testGiven = false;
  bool echoGiven = false;  // -V or -Y
  bool popupGiven = false;
  const OptionLetter letters[] = {
      {L'C', &cleanGiven},
      {L'T', &testGiven},
      {L'V', &echoGiven},
      {L'Y', &echoGiven},
      {L'P', &popupGiven},
      {L'D', nullptr, &options.logDirectory},
      {L'F', nullptr, &options.configFile},
      {L'L', nullptr, &options.logLevel},
      {L'M', nullptr, &options.models},
  };
  int errors = parseOptionLetters(args, letters, messages);

  if (cleanGiven) options.clean = true;
  if (testGiven) options.test = true;
  if (echoGiven) options.echo = true;
  if (popupGiven) options.popup = true;
  if (options.test) options.clean = false;
  if (!cleanGiven && !testGiven) ++errors;
  return errors == 0 ? 0 : -1;
}

}  // namespace kv
