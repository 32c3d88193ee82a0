// The command line of the machine set-up helper kvsetup: exit codes and exact texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine_setup/setup_command.h"
#include "wine_machine.h"

namespace kv::setup {
namespace {

struct CommandRun {
  int exitCode;
  std::wstring out;
  std::wstring err;
};

CommandRun run(const std::vector<std::wstring>& arguments) {
  CommandRun result{};
  result.exitCode = runSetupCommand(arguments, result.out, result.err);
  return result;
}

struct UsageCase {
  std::vector<std::wstring> arguments;
  const wchar_t* message;
};

TEST(SetupCommandLine, BadCommandLinesExitWith2AndTheUsage) {
  const UsageCase cases[] = {
      {{}, L"kvsetup: no command given\n"},
      {{L"remove-port", L"X"}, L"kvsetup: unknown command: remove-port\n"},
      {{L"add-port"}, L"kvsetup: add-port needs <port>\n"},
      {{L"add-port", L"P1", L"P2"}, L"kvsetup: too many arguments: P2\n"},
      {{L"add-port", L"P1", L"--driver", L"D"}, L"kvsetup: add-port has no option --driver\n"},
      {{L"add-port", L"P1", L"--monitor"}, L"kvsetup: --monitor needs a value\n"},
      {{L"add-queue", L"Q", L"--driver", L"D"}, L"kvsetup: add-queue needs --port\n"},
      {{L"add-monitor", L"M"}, L"kvsetup: add-monitor needs --dll\n"},
      {{L"add-driver-package"}, L"kvsetup: add-driver-package needs <inf file>\n"},
      {{L"set-monitor", L"M", L"--status", L"8x"}, L"kvsetup: --status is not a number: 8x\n"},
      {{L"set-monitor", L"M", L"--port-type", L"4294967296"},
       L"kvsetup: --port-type is not a number: 4294967296\n"},
      {{L"list", L"printers"},
       L"kvsetup: list needs ports, drivers, queues, monitors or products, not printers\n"},
  };
  for (const UsageCase& usage : cases) {
    SCOPED_TRACE(::testing::PrintToString(usage.message));
    const CommandRun result = run(usage.arguments);
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.out, L"");
    EXPECT_EQ(result.err, usage.message + std::wstring(kUsageText));
  }
}

TEST(SetupCommandLine, HelpPrintsTheUsage) {
  const CommandRun result = run({L"help"});
  EXPECT_EQ(result.exitCode, kExitDone);
  EXPECT_EQ(result.out, kUsageText);
  EXPECT_EQ(result.err, L"");
}

// A Windows call that fails names itself and its code.
TEST(SetupCommandLine, FailedCallsExitWith1AndNameTheCall) {
  const struct {
    std::vector<std::wstring> arguments;
    const wchar_t* message;
  } cases[] = {
      {{L"delete-queue", L"KVW No Such Queue"}, L"kvsetup: OpenPrinterW failed with error 1801\n"},
      {{L"add-port", L"KVW_P", L"--monitor", L"KVW No Such Monitor"},
       L"kvsetup: OpenPrinterW failed with error 1796\n"},
      {{L"add-port", L"COM1:"}, L"kvsetup: XcvDataW(AddPort) failed with error 183\n"},
      {{L"add-driver-package", L"C:\\kvw no such folder\\oem1.inf"},
       L"kvsetup: SetupCopyOEMInfW failed with error 3\n"},
      {{L"set-monitor", L"KVW No Such Monitor", L"--status", L"5"},
       L"kvsetup: RegOpenKeyExW failed with error 2\n"},
  };
  for (const auto& failure : cases) {
    SCOPED_TRACE(::testing::PrintToString(failure.message));
    const CommandRun result = run(failure.arguments);
    EXPECT_EQ(result.exitCode, kExitCallFailed);
    EXPECT_EQ(result.out, L"");
    EXPECT_EQ(result.err, failure.message);
  }
}

// One object per line, fields separated by tabs, in the spooler's order.
TEST(SetupCommandLine, ListsPrintOneObjectPerLine) {
  winetest::ScopedLocalPort port(L"KVW_LIST:");
  winetest::ScopedDriver driver(L"KVW List Driver");
  winetest::ScopedQueue queue(L"KVW List Queue", driver.name(), port.name());
  winetest::ScopedTestMonitor monitor(L"KVW List Monitor", {L"KVW_LIST_TCP"}, L"TCPMON.DLL",
                                      L"Standard TCP/IP Port");

  const struct {
    const wchar_t* what;
    const wchar_t* line;
  } cases[] = {
      {L"ports", L"COM1:\tLocal Monitor\tLocal Port\t1\n"},
      {L"ports", L"KVW_LIST:\tLocal Monitor\tLocal Port\t1\n"},
      {L"ports", L"KVW_LIST_TCP\tTCPMON.DLL\tStandard TCP/IP Port\t1\n"},
      {L"drivers", L"KVW List Driver\n"},
      {L"queues", L"KVW List Queue\tKVW List Driver\tKVW_LIST:\n"},
      {L"monitors", L"KVW List Monitor\tkvtestmon.dll\n"},
      {L"monitors", L"Local Port\tlocalspl.dll\n"},
  };
  for (const auto& listing : cases) {
    SCOPED_TRACE(::testing::PrintToString(listing.line));
    const CommandRun result = run({L"list", listing.what});
    EXPECT_EQ(result.exitCode, kExitDone);
    EXPECT_EQ(result.err, L"");
    EXPECT_TRUE(result.out.starts_with(listing.line) ||
                result.out.find(std::wstring(L"\n") + listing.line) != std::wstring::npos)
        << ::testing::PrintToString(result.out);
  }
}

}  // namespace
}  // namespace kv::setup
