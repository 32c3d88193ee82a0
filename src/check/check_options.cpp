#include "check/check_options.h"

#include "rules/option_letters.h"

namespace kv {

int parseCheckCommandLine(const std::vector<std::wstring>& args, CheckOptions& options,
                          std::wstring& messages) {
  const OptionLetter letters[] = {
      {L'J', &options.json},
      {L'F', nullptr, &options.configFile},
      {L'M', nullptr, &options.models},
  };
  return parseOptionLetters(args, letters, messages) == 0 ? 0 : -1;
}

}  // namespace kv
