#include "rules/option_letters.h"

namespace kv {
namespace {

const OptionLetter* optionOf(std::span<const OptionLetter> letters, wchar_t given) {
  for (const OptionLetter& option : letters) {
    if (given == option.letter || given == option.letter + (L'a' - L'A')) return &option;
  }
  return nullptr;
}

}  // namespace

int parseOptionLetters(const std::vector<std::wstring>& args, std::span<const OptionLetter> letters,
                       std::wstring& messages) {
  int errors = 0;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg.empty() || arg[0] != L'-') {
      messages += L"Illegal character (" + arg + L")\n";
      ++errors;
      continue;
    }
    const OptionLetter* option = optionOf(letters, arg.size() > 1 ? arg[1] : L'\0');
    if (option == nullptr) {
      messages += L"Illegal option (" + arg.substr(1) + L")\n";
      ++errors;
      continue;
    }
    if (option->flag != nullptr) *option->flag = true;
    if (option->value == nullptr) continue;
    if (arg.size() > 2) {
      *option->value = arg.substr(2);
    } else if (i + 1 < args.size()) {
      *option->value = args[++i];
    }
  }
  return errors;
}

}  // namespace kv
