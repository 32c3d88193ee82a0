// The command-line parsers of kvcleaner and kvcheck: the input is the arguments after the program
// name, separated by NUL bytes, each turned into wide text as the native entry point does
// (UTF-8). Checked: the result is 0 or -1; an accepted command line printed nothing (and, for the
// cleaner, has -C or -T, and -T always wins over -C); every message of the cleaner's is one of
// its parser's two lines, and kvcheck's refusals end with its usage lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/check_options.h"
#include "cleaner/command_line.h"
#include "fuzz_input.h"
#include "system/utf8.h"

namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

void requireParserLines(const std::wstring& messages) {
  require(messages.empty() || messages.ends_with(L")\n"));
  require(messages.empty() || messages.starts_with(L"Illegal character (") ||
          messages.starts_with(L"Illegal option ("));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kv::fuzz::FuzzInput input(data, size);
  std::vector<std::wstring> args{L"kvcleaner"};
  while (!input.empty()) args.push_back(kv::utf8ToWide(input.field(0)));

  kv::RunOptions options;
  std::wstring messages;
  const int result = kv::parseCommandLine(args, options, messages);
  require(result == 0 || result == -1);
  require(!(options.test && options.clean));
  if (result == 0) require(messages.empty() && (options.clean || options.test));
  requireParserLines(messages);

  kv::CheckOptions checkOptions;
  std::wstring checkMessages;
  const int checked = kv::parseCheckCommandLine(args, checkOptions, checkMessages);
  require(checked == 0 || checked == -1);
  require((checked == 0) == checkMessages.empty());
  require(checked == 0 || checkMessages.ends_with(kv::kCheckUsage));
  require(!checkOptions.json || !checkOptions.oneLine || checked != 0);
  return 0;
}
