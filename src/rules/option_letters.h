#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

// One option of a command line in the cleaner's conventions: a "-" and a letter, upper or lower
// case. A flag is set when given; a value option takes the rest of its argument ("-Fcfg.ini")
// or, when nothing follows the letter, the whole next argument, whatever it looks like. A value
// option that ends the command line with nothing after its letter is ignored.
struct OptionLetter {
  wchar_t letter;  // upper case
  bool* flag = nullptr;
  std::optional<std::wstring>* value = nullptr;
};

// Reads args[1…] (args[0] is the program) against `letters`. Every wrong argument adds its own
// line to `messages`: "Illegal character (<argument>)" for one that does not begin with "-",
// "Illegal option (<argument without the ->)" for an unknown letter, each ending in a line feed.
// Returns the count of wrong arguments.
int parseOptionLetters(const std::vector<std::wstring>& args, std::span<const OptionLetter> letters,
                       std::wstring& messages);

}  // namespace kv
