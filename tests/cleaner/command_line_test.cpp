#include "cleaner/command_line.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

struct ParserCase {
  std::vector<std::wstring> args;  // after the program name
  std::wstring messages;
  int result;
  // Expected options, written as flags "CTVP" present and the four values.
  std::wstring flags;
  std::optional<std::wstring> logDirectory = std::nullopt;
  std::optional<std::wstring> configFile = std::nullopt;
  std::optional<std::wstring> logLevel = std::nullopt;
  std::optional<std::wstring> models = std::nullopt;
};

std::wstring flagsOf(const RunOptions& options) {
  std::wstring flags;
  if (options.clean) flags += L'C';
  if (options.test) flags += L'T';
  if (options.echo) flags += L'V';
  if (options.popup) flags += L'P';
  return flags;
}

std::string describe(const std::vector<std::wstring>& args) {
  std::string text;
  for (const std::wstring& arg : args) text += " [" + std::string(arg.begin(), arg.end()) + "]";
  return text;
}

TEST(CommandLine, ArgumentsToMessagesOptionsAndResult) {
  const ParserCase cases[] = {
      {{L"-C"}, L"", 0, L"C"},
      {{L"-c"}, L"", 0, L"C"},
      {{L"-T"}, L"", 0, L"T"},
      {{L"-c", L"-t"}, L"", 0, L"T"},
      {{L"-T", L"-C"}, L"", 0, L"T"},
      {{L"-V"}, L"", -1, L"V"},
      {{L"-C", L"-Y"}, L"", 0, L"CV"},
      {{L"-T", L"-v", L"-p"}, L"", 0, L"TVP"},
      {{L"-Cxyz"}, L"", 0, L"C"},
      {{L"-x"}, L"Illegal option (x)\n", -1, L""},
      {{L"-T", L"-x"}, L"Illegal option (x)\n", -1, L"T"},
      {{L"abc", L"-x"}, L"Illegal character (abc)\nIllegal option (x)\n", -1, L""},
      {{L"-"}, L"Illegal option ()\n", -1, L""},
      {{L"/C"}, L"Illegal character (/C)\n", -1, L""},
      {{L"--C"}, L"Illegal option (-C)\n", -1, L""},
      {{L""}, L"Illegal character ()\n", -1, L""},
      {{L"-T", L"%s%n"}, L"Illegal character (%s%n)\n", -1, L"T"},
      {{L"-zap", L"-C", L"x", L"-Q"},
       L"Illegal option (zap)\nIllegal character (x)\nIllegal option (Q)\n",
       -1,
       L"C"},
      {{L"-Fcfg.ini", L"-C"}, L"", 0, L"C", std::nullopt, L"cfg.ini"},
      {{L"-F", L"cfg.ini", L"-C"}, L"", 0, L"C", std::nullopt, L"cfg.ini"},
      {{L"-C", L"-F"}, L"", 0, L"C"},
      {{L"-F", L"-C"}, L"", -1, L"", std::nullopt, L"-C"},
      {{L"-F", L"-C", L"-T"}, L"", 0, L"T", std::nullopt, L"-C"},
      {{L"-Dlogs", L"-T", L"-d", L"other"}, L"", 0, L"T", L"other"},
      {{L"-T", L"-L", L"debug", L"-lWARN"}, L"", 0, L"T", std::nullopt, std::nullopt, L"WARN"},
      {{L"-T", L"-MA|B"}, L"", 0, L"T", std::nullopt, std::nullopt, std::nullopt, L"A|B"},
      {{L"-m", L"Model 1|Model 2", L"-c"},
       L"",
       0,
       L"C",
       std::nullopt,
       std::nullopt,
       std::nullopt,
       L"Model 1|Model 2"},
      {{L"-T", L"-D", L""}, L"", 0, L"T", L""},
  };
  for (const ParserCase& c : cases) {
    std::vector<std::wstring> args{L"kvcleaner.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunOptions options;
    std::wstring messages;
    EXPECT_EQ(parseCommandLine(args, options, messages), c.result) << describe(c.args);
    EXPECT_EQ(messages, c.messages) << describe(c.args);
    EXPECT_EQ(flagsOf(options), c.flags) << describe(c.args);
    EXPECT_EQ(options.logDirectory, c.logDirectory) << describe(c.args);
    EXPECT_EQ(options.configFile, c.configFile) << describe(c.args);
    EXPECT_EQ(options.logLevel, c.logLevel) << describe(c.args);
    EXPECT_EQ(options.models, c.models) << describe(c.args);
  }
}

}  // namespace
}  // namespace kv
