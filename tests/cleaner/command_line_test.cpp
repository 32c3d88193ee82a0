#include "cleaner/command_line.h"

#include <gtest/gtest.h>

#include "disconnect/disconnect_main.h"
#include "rules/logon_registration.h"
#include "support/fake_system_services.h"
#include "system/machine_registry.h"

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

// kvdisconnect's command line is strict: every refusal says why, then the usage, and exits 1.
TEST(CommandLine, KvdisconnectRefusesWhatItDoesNotTake) {
  const std::pair<std::vector<std::wstring>, std::wstring> refused[] = {
      {{}, L"Give one of -C, -T, -R or -U"},
      {{L"-C", L"-t"}, L"Give only one of -C, -T, -R or -U"},
      {{L"-Cx"}, L"Letters after the switch -C: -Cx"},
      {{L"-C", L"-F"}, L"-F needs a value"},
      {{L"-C", L"-M", L""}, L"-M needs a value"},
      {{L"-C", L"-Q"}, L"Unknown option: -Q"},
      {{L"-C", L"abc"}, L"Not an option: \"abc\""},
      {{L"-C", L"-v", L"-V"}, L"-V is given twice"},
      {{L"-R", L"-V"}, L"-V goes only with -C or -T"},
      {{L"-R", L"-Fa", L"-Mb"}, L"-R takes -F or -M, not both"},
      {{L"-U", L"-Mb"}, L"-U takes no other option"},
      {{L"-R", L"-Ldebug"}, L"-L goes only with -C or -T"},
      {{L"-U", L"-L", L"debug"}, L"-L goes only with -C or -T"},
      {{L"-C", L"-Lloud"}, L"-L takes OFF, FATAL, ERROR, WARN, WARNING, INFO, DEBUG or ALL: loud"},
      {{L"-R", L"-M", L"A\\"},
       L"A value with a quote, or ending in a backslash, cannot be passed on: A\\"},
      {{L"-R", L"-FC:\\kv\\"},
       L"A value with a quote, or ending in a backslash, cannot be passed on: C:\\kv\\"},
      {{L"-R", L"-F", L"kv.ini"},
       L"-F needs a full path with -R (the program starts in each user's session, in a folder of "
       L"its own): kv.ini"},
  };
  for (const auto& [given, why] : refused) {
    std::vector<std::wstring> args{L"kvdisconnect.exe"};
    args.insert(args.end(), given.begin(), given.end());
    testing::internal::CaptureStderr();
    EXPECT_EQ(disconnectMain(args), 1) << describe(given);
    const std::string printed = testing::internal::GetCapturedStderr();
    const std::wstring expected = why + L"\n" + kDisconnectUsage;
    EXPECT_EQ(printed, std::string(expected.begin(), expected.end())) << describe(given);
  }
  std::wstring messages;
  const auto options = parseDisconnectCommandLine(
      {L"kvdisconnect.exe", L"-t", L"-v", L"-Fm.ini", L"-M", L"A|B", L"-Linfo"}, messages);
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options->action, DisconnectAction::Rehearse);
  EXPECT_TRUE(options->echo);
  EXPECT_EQ(options->configFile, L"m.ini");
  EXPECT_EQ(options->models, L"A|B");
  EXPECT_EQ(options->logLevel, L"info");
}

// -R writes the registration only for an administrator and a program where standard users cannot
// write; each registration raises the Version; -U removes it.
TEST(CommandLine, KvdisconnectRegistersForLogonsOnlyFromAProtectedFolder) {
  struct Case {
    std::vector<std::wstring> args;
    bool administrator;
    std::wstring program;
    int exit;
    std::wstring stubPath;  // empty: the key is not there afterwards
    std::wstring version;
  };
  const std::wstring pf = L"C:\\Program Files\\KVTool\\kvdisconnect.exe";
  const std::wstring quoted = L"\"" + pf + L"\" -C";
  const Case cases[] = {
      {{L"-R", L"-M", L"NOVAX 1|NOVAX 2"},
       true,
       pf,
       0,
       quoted + L" -M \"NOVAX 1|NOVAX 2\"",
       L"2026,1206,1405,0"},
      {{L"-R"},
       true,
       L"c:/program files/kvtool/../KVTool/kvdisconnect.exe",
       0,
       L"\"c:/program files/kvtool/../KVTool/kvdisconnect.exe\" -C",
       L"2026,1206,1405,0"},
      {{L"-R", L"-F", L"C:\\Windows\\kv.ini"},
       true,
       L"C:\\Windows\\kvdisconnect.exe",
       0,
       L"\"C:\\Windows\\kvdisconnect.exe\" -C -F \"C:\\Windows\\kv.ini\"",
       L"2026,1206,1405,0"},
      {{L"-R"}, false, pf, 5, L"", L""},
      {{L"-R"}, true, L"C:\\Program Files\\..\\Users\\Public\\kvdisconnect.exe", 1, L"", L""},
      {{L"-R"}, true, L"C:\\Program Files Evil\\kvdisconnect.exe", 1, L"", L""},
      {{L"-R"}, true, L"\\\\srv\\share\\kvdisconnect.exe", 1, L"", L""},
      {{L"-R", L"-F", L"kv.ini"}, true, pf, 1, L"", L""},
      {{L"-R", L"-M", L"A\"B"}, true, pf, 1, L"", L""},
  };
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    system.environment = {{L"ProgramFiles", L"C:\\Program Files"}, {L"SystemRoot", L"C:\\Windows"}};
    system.administrator = c.administrator;
    system.programPath = c.program;
    MemoryMachineRegistry registry;
    ScopedMachineRegistry installed(registry);
    std::vector<std::wstring> args{L"kvdisconnect.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(disconnectMain(args), c.exit) << describe(c.args);
    testing::internal::GetCapturedStdout();
    const std::string refusal = testing::internal::GetCapturedStderr();
    const MemoryMachineRegistry::Key* key = registry.find(kLogonRegistrationKey);
    EXPECT_EQ(key != nullptr, !c.stubPath.empty()) << describe(c.args) << refusal;
    if (key == nullptr) continue;
    const MemoryMachineRegistry::Key expected = {{L"", kLogonRegistrationName},
                                                 {L"StubPath", c.stubPath},
                                                 {L"IsInstalled", std::uint32_t{1}},
                                                 {L"Version", c.version}};
    EXPECT_EQ(*key, expected) << describe(c.args);
    // The next registration in the same second still raises the Version; -U takes it away.
    testing::internal::CaptureStdout();
    EXPECT_EQ(disconnectMain(args), 0);
    EXPECT_EQ(disconnectMain({L"kvdisconnect.exe", L"-U"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Registered for each user's next logon: " +
                  std::string(c.stubPath.begin(), c.stubPath.end()) +
                  " (Version 2026,1206,1405,1)\nRemoved the registration for users' logons.\n");
    EXPECT_EQ(registry.find(kLogonRegistrationKey), nullptr);
  }
}

}  // namespace
}  // namespace kv
