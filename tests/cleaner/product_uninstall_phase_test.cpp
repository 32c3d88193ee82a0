#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <tuple>

#include "cleaner/cleaning_phases.h"
#include "fake_uninstaller.h"
#include "messages/error_dialog.h"
#include "phase_test.h"
#include "standins/installer_memory.h"
#include "system/multi_string.h"
#include "system/utf8.h"

namespace kv {
namespace {

using test::code;
using test::FakeUninstaller;

class ProductUninstallTest : public test::PhaseTest {
 protected:
  ProductUninstallTest() {
    fillInstaller();
    memory.addDriver(L"NOVAX QZ-100");
    memory.addDriver(L"Pravik P5");
  }

  void fillInstaller(const std::wstring& commandA = L"MsiExec.exe /I" + code(L'A') + L" /i /I",
                     std::uint32_t type = MemoryInstaller::kRegSz,
                     const std::wstring& packageA = L"a.msi") {
    installer = MemoryInstaller();
    // The maker's packages, another publisher's and one whose Publisher differs in case.
    installer.addProduct({code(L'A'),
                          {{L"Publisher", L"NOVAX"},
                           {L"ProductName", L"Suite [NOVAX QZ-100]"},
                           {L"LocalPackage", packageA}}});
    installer.addUninstallEntry(code(L'A'),
                                {{L"UninstallString", MemoryInstaller::textValue(commandA, type)}});
    addProduct(L'B', L"NOVAX", L"Tool [Pravik P5] Extra");
    addProduct(L'C', L"Acme", L"Other [NOVAX QZ-100]");
    addProduct(L'D', L"NOVAX", L"Lower [novax qz-100]");
    addProduct(L'E', L"NOVAX", L"[Pravik P5]");
    addProduct(L'F', L"novax", L"Case [Pravik P5]");
  }

  void addProduct(wchar_t letter, const std::wstring& publisher, const std::wstring& name) {
    installer.addProduct({code(letter), {{L"Publisher", publisher}, {L"ProductName", name}}});
  }

  MemoryInstaller installer;
  ScopedInstallerService installedInstaller{installer};
  FakeUninstaller uninstaller{installer};
  ScopedProcessRunner installedRunner{uninstaller};
};

TEST_F(ProductUninstallTest, FirstPassUninstallsWhatEndsInABracketedCandidate) {
  const std::wstring msiexec = L"C:\\Windows\\system32\\msiexec.exe";
  const std::wstring commandA = msiexec + L" /X" + code(L'A') + L" /i /X /Qn /norestart";
  const std::wstring commandE = msiexec + L" /X" + code(L'E') + L" /Qn /norestart";
  const std::string a(commandA.begin(), commandA.end());
  const std::string e(commandE.begin(), commandE.end());
  struct Case {
    const char* name;
    std::optional<std::wstring> models;
    bool driverListingFails;
    std::string lines;  // after the banner and the product count
    std::vector<std::wstring> commands;
    std::wstring registeredA = L"MsiExec.exe /I" + code(L'A') + L" /i /I";
    std::uint32_t typeA = MemoryInstaller::kRegSz;
    std::optional<std::string> printed = std::nullopt;
    bool expansionFails = false;
    std::wstring packageA = L"a.msi";  // the package the service keeps, which msiexec /X needs
  };
  const std::string exited = "Debug: Uninstaller exit code : 0\n";
  // Model QZ-100: A alone is chosen; `middle` is what its pass writes after choosing it.
  const auto linesOfA = [](const std::string& middle) {
    return "Debug: Uninstall product : Suite [NOVAX QZ-100]\n" + middle +
           "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
           "Debug: Not uninstall product : Lower [novax qz-100]\n"
           "Debug: Not uninstall product : [Pravik P5]\n";
  };
  // A is uninstalled by `command` made from the registered `text` + "/I{A}".
  const auto onlyA = [&](const char* name, const std::wstring& text, const std::wstring& command,
                         std::uint32_t type = MemoryInstaller::kRegSz) {
    const bool msi = command.find(L"msiexec") != std::wstring::npos;
    const std::wstring run = command + L" /X" + code(L'A') + (msi ? L" /Qn /norestart" : L" /Qn");
    return Case{name,
                L"NOVAX QZ-100",
                false,
                linesOfA("Debug: Uninstall command : " + wideToUtf8(run) + "\n" + exited),
                {run + L" @300000"},
                text + L" /I" + code(L'A'),
                type};
  };
  const std::wstring unexpanded = L"%SystemRoot%\\system32\\msiexec.exe %U%";
  // A registered command that is no command: the one for the installer is made instead.
  const std::wstring builtA = msiexec + L" /X" + code(L'A') + L" /Qn /norestart";
  const std::string madeA =
      "Info: Making uninstall string : Suite [NOVAX QZ-100]\n"
      "Debug: Uninstall command : " +
      wideToUtf8(builtA) + "\n" + exited;
  const Case cannotExpand{
      "cannot be expanded",
      L"NOVAX QZ-100",
      false,
      linesOfA("Error: Failed to expand the uninstall command of product : Suite [NOVAX "
               "QZ-100]\n"),
      {},
      unexpanded,
      MemoryInstaller::kRegExpandSz,
      std::nullopt,
      true};
  // A file planted where a shorter path ends in ".exe" is not the program.
  const std::wstring planted = L"C:\\ProgramData\\My.exe Tools\\uninst.exe";
  system.files = {L"C:\\ProgramData\\My.exe", planted, L"C:\\Apps.exe",
                  L"C:\\Apps.exe\\KV Tools\\un.exe", L"C:\\ProgramData\\KV Tools\\uninst.EXE"};
  // Nor is one when the named program is not there as a file: the installer's own command runs
  // while the service keeps the package, else nothing.
  const std::wstring gone = L"C:\\ProgramData\\My.exe Tools\\gone.exe";
  const std::wstring folder = (dir.path() / "KV Tools" / "un.exe").wstring();
  std::filesystem::create_directories(folder);
  const auto missing = [&](const char* name, const std::wstring& program, const wchar_t* package) {
    const std::string none = "Error: Failed to uninstall product, its uninstaller is not there : ";
    return Case{
        name,
        L"NOVAX QZ-100",
        false,
        linesOfA("Warn: The registered uninstaller is not there, so it is not run : " +
                 wideToUtf8(program) + "\n" + (*package ? madeA : none + "Suite [NOVAX QZ-100]\n")),
        *package ? std::vector{builtA + L" @300000"} : std::vector<std::wstring>{},
        program + L" /I" + code(L'A'),
        MemoryInstaller::kRegSz,
        "",
        false,
        package};
  };
  const Case cases[] = {
      cannotExpand,
      missing("not there, a shorter one is", gone, L"a.msi"),
      missing("a folder", folder, L"a.msi"),
      missing("not there, no package kept", gone, L""),
      {"empty",
       L"NOVAX QZ-100",
       false,
       linesOfA(madeA),
       {builtA + L" @300000"},
       L"",
       MemoryInstaller::kRegSz,
       ""},
      {"a number",
       L"NOVAX QZ-100",
       false,
       linesOfA(madeA),
       {builtA + L" @300000"},
       L"\x01",
       MemoryInstaller::kRegDword,
       ""},
      onlyA("planted shorter program", planted, L'"' + planted + L'"'),
      onlyA(".exe in a folder name", L"C:\\Apps.exe\\KV Tools\\un.exe",
            L"\"C:\\Apps.exe\\KV Tools\\un.exe\""),
      onlyA("quoted already", L"\"C:\\KV Tools\\un.exe\"", L"\"C:\\KV Tools\\un.exe\""),
      onlyA("path with spaces", L"C:\\ProgramData\\KV Tools\\uninst.EXE",
            L"\"C:\\ProgramData\\KV Tools\\uninst.EXE\""),
      onlyA("/I in the path", L"C:/NOVAX/Installer/rec.exe", L"C:/NOVAX/Installer/rec.exe"),
      onlyA("expanded", unexpanded, msiexec + L" %U%", MemoryInstaller::kRegExpandSz),
      onlyA("not expanded", unexpanded, unexpanded),
      onlyA("msiexec quoted", L"\"MSIEXEC\"", msiexec),
      {"installed drivers",
       std::nullopt,
       false,
       "Info: Entry driver list : num = 2\n"
       "Debug: Uninstall product : Suite [NOVAX QZ-100]\n"
       "Debug: Uninstall command : " +
           a + "\n" + exited +
           "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
           "Debug: Not uninstall product : Lower [novax qz-100]\n"
           "Debug: Uninstall product : [Pravik P5]\n"
           "Info: Making uninstall string : [Pravik P5]\n"
           "Debug: Uninstall command : " +
           e + "\n" + exited,
       {commandA + L" @300000", commandE + L" @300000"}},
      {"configured models",
       L"Pravik P5|Zul 1",
       false,
       "Debug: Not uninstall product : Suite [NOVAX QZ-100]\n"
       "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
       "Debug: Not uninstall product : Lower [novax qz-100]\n"
       "Debug: Uninstall product : [Pravik P5]\n"
       "Info: Making uninstall string : [Pravik P5]\n"
       "Debug: Uninstall command : " +
           e + "\n" + exited,
       {commandE + L" @300000"}},
      {"drivers cannot be listed",
       std::nullopt,
       true,
       "Error: Failed to enumerate drivers.\n"
       "Info: Entry driver list : num = 0\n"
       "Debug: Not uninstall product : Suite [NOVAX QZ-100]\n"
       "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
       "Debug: Not uninstall product : Lower [novax qz-100]\n"
       "Debug: Not uninstall product : [Pravik P5]\n",
       {}},
  };
  test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC",
                   "[English]\nIDS_KVTOOL_ERR_ENUMPRN=Printers cannot be listed.\n");
  checkMessageFile(dir.child(L"KV_TOOLS_LNG.IRC"));
  setMessageBoxesEnabled(true);
  system.environment[L"SystemRoot"] = L"C:\\Windows";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.driverListingFails) memory.failAlways(SpoolerOperation::EnumPrinterDrivers, 5);
    fillInstaller(c.registeredA, c.typeA, c.packageA);
    system.expansionFails = c.expansionFails;
    run = CleanerRun();
    if (c.models) run.config.setModels(*c.models);
    uninstaller.commands.clear();
    system.shownBoxes.clear();
    detailLog().open(dir.child(L"detail.log"));
    testing::internal::CaptureStdout();
    uninstallProductsFirstPass(run);
    // [Pravik P5] has no uninstall entry: the discovery says so on standard output.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              c.printed.value_or(c.lines.find("Making") == std::string::npos
                                     ? ""
                                     : "ERROR: failed with error code 0x2 (RegOpenKey)\n"));
    EXPECT_EQ(log(),
              "Debug: --- Uninstall Tarn Packages ---\n"
              "Info: Get enumerate product codes : num = 4\n" +
                  c.lines);
    EXPECT_EQ(uninstaller.commands, c.commands);
    ASSERT_EQ(system.shownBoxes.size(), c.driverListingFails ? 1u : 0u);
    if (c.driverListingFails) {
      EXPECT_EQ(system.shownBoxes[0].text, L"Printers cannot be listed.");
    }
  }
  setMessageBoxesEnabled(false);
}

// Model P5 chooses E alone. Whether E is still installed after the second pass decides, not its
// uninstaller's exit code; that counts in a clean run, once. An uninstaller that did not run its
// course, or that the installer service turned away (1618), fails in its pass too. A hung
// uninstaller is not started again. Each uninstaller waits for the installer service first.
TEST_F(ProductUninstallTest, PackagesStillInstalledAfterTheSecondPassFail) {
  const std::wstring codeE = code(L'E'), commandE = L"MsiExec.exe /X" + codeE + L" /Qn /norestart";
  const std::string others =
      "Debug: Not uninstall product : Suite [NOVAX QZ-100]\n"
      "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
      "Debug: Not uninstall product : Lower [novax qz-100]\n";
  const std::string runE =
      "Debug: Uninstall product : [Pravik P5]\nInfo: Making uninstall string"
      " : [Pravik P5]\nDebug: Uninstall command : " +
      wideToUtf8(commandE) + "\n";
  const std::string first = "Debug: --- Uninstall Tarn Packages ---\n";
  const std::string count = "Info: Get enumerate product codes : num = 4\n";
  const std::string ran = first + count + others + runE;
  const auto exited = [](int code) {
    return "Debug: Uninstaller exit code : " + std::to_string(code) + "\n";
  };
  const std::string again = "Info: KVTool cleaner Uninstall product Again: 12/06/2026 14:05:00\n";
  const std::string failed = "Error: Error: Failed to uninstall product : [Pravik P5]\n";
  const std::string left = "Error: Product still installed at the end of the run : [Pravik P5]\n";
  const std::string gone = "Debug: Failed to get product name : " + wideToUtf8(codeE) + "\n";
  const std::string hung = "Debug: Not uninstall product again, its uninstaller did not end : ";
  const std::string warn = "Warn: Restart required to finish uninstalling product : ";
  const std::string cut = first + "Error: Failed to enumerate product codes.\n" + others;
  const std::string waits =
      "Debug: Waiting for Windows Installer to finish another installation (at most 120000 "
      "msec)\n";
  const std::string busy =
      "Debug: Windows Installer is still busy; the uninstaller starts all the same\n" +
      exited(1618) +
      "Error: Failed to uninstall product, another installation is in progress (1618) : "
      "[Pravik P5]\n";
  // E has no uninstall entry, in either view; what the second pass removed is not an error.
  const std::string noEntry = "ERROR: failed with error code 0x2 (RegOpenKey)\n";
  const std::string gonePrinted =
      noEntry + "ERROR: failed with error code 0x645 (MsiGetProductInfo)\n";
  using End = ProcessOutcome::End;
  struct Case {
    ProcessOutcome outcome;
    bool removes;
    std::string lines;
    int runs;
    int failures;
    std::uint32_t installerBusyMs;
    std::string printed;
    std::vector<std::wstring> recordBefore = {};
    std::vector<std::wstring> recordAfter = {};
    bool clean = true;
  };
  const std::wstring now = L"2026-12-06T13:05:00Z";
  // An uninstaller that owes a restart, with the record before and after, and the record's line.
  const auto owes = [&](std::uint32_t exit, std::vector<std::wstring> before,
                        std::vector<std::wstring> after, bool clean, const std::string& owed) {
    return Case{{End::Exited, exit},
                true,
                first + count + owed + others + runE + exited(exit) + warn + "[Pravik P5]\n" +
                    again + others + gone,
                1,
                0,
                0,
                gonePrinted,
                before,
                after,
                clean};
  };
  const std::string twice = noEntry + noEntry;
  const Case cases[] = {
      {{End::Exited, 1603}, true, ran + exited(1603) + again + others + gone, 1, 0, 0, gonePrinted},
      {{End::Exited, 1603},
       false,
       ran + exited(1603) + again + others + runE + exited(1603) + left,
       2,
       1,
       0,
       twice},
      {{End::TimedOut},
       false,
       ran + failed + again + others + hung + "[Pravik P5]\n" + left,
       1,
       1,
       0,
       noEntry},
      {{}, false, ran + failed + again + others + runE + failed + left, 2, 1, 0, twice},
      owes(3010, {}, {now, L"[Pravik P5]"}, true, ""),
      // A record the PC has restarted since (12:04:59, before its start at 12:05:00) is settled:
      // kept in a test run, it gives no time to a new one. One still owed keeps its time, and its
      // line follows the pass's count line.
      owes(3010, {L"2026-12-06T12:04:59Z", L"Old"}, {now, L"[Pravik P5]"}, false, ""),
      owes(1641, {L"2026-12-06T12:05:00Z", L"Old"},
           {L"2026-12-06T12:05:00Z", L"Old", L"[Pravik P5]"}, true,
           "Info: A restart is still owed since 2026-12-06T12:05:00Z\n"),
      // Busy for 150 s: the first pass gives up waiting after 120 s, the second gets through.
      {{End::Exited},
       true,
       ran + waits + busy + again + others + runE + waits + exited(0),
       2,
       0,
       150000,
       twice},
      // E follows the failed index: the second pass works through the same short list.
      {{},
       false,
       cut + again + others,
       0,
       0,
       0,
       "ERROR: failed with error code 0x64A (MsiEnumProducts)\n"}};
  system.systemFolder.clear();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    fillInstaller();
    if (c.runs == 0) installer.failNext(InstallerOperation::EnumProducts, 1610, 4);
    if (c.installerBusyMs != 0) installer.holdExecuteMutex(c.installerBusyMs);
    run = CleanerRun();
    run.options.clean = c.clean;
    run.config.setModels(L"Pravik P5");
    uninstaller.commands.clear();
    uninstaller.endings[commandE] = {c.outcome, c.removes};
    system.machineValues.clear();
    if (!c.recordBefore.empty()) {
      system.machineValues[L"RestartRequired"] = multiStringBytes(c.recordBefore);
    }
    detailLog().open(dir.child(L"detail.log"));
    testing::internal::CaptureStdout();
    uninstallProductsFirstPass(run);
    uninstallProductsSecondPass(run);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(log(), c.lines);
    EXPECT_EQ(uninstaller.commands, std::vector<std::wstring>(c.runs, commandE + L" @300000"));
    EXPECT_EQ(run.failureCount, c.failures);
    EXPECT_EQ(installer.openMutexCount(), 0u);
    // The mutex is opened to read its state alone, never to wait on it and so own it.
    for (const std::wstring& call : installer.calls()) {
      if (call.starts_with(L"OpenMutexW")) {
        EXPECT_EQ(call, L"OpenMutexW(0x1, Global\\_MSIExecute)");
      }
    }
    // The restart owed is recorded beside the note: the time (UTC), then the products.
    EXPECT_EQ(system.machineValues[L"RestartRequired"],
              c.recordAfter.empty() ? "" : multiStringBytes(c.recordAfter));
  }
}

// The second pass works through the codes of the first, in a test run too; what the first pass
// uninstalled has no name any more, and a failed uninstall is only logged.
TEST_F(ProductUninstallTest, SecondPassReportsWhatTheFirstRemoved) {
  const std::wstring commandE =
      L"C:\\Windows\\system32\\msiexec.exe /X" + code(L'E') + L" /Qn /norestart";
  uninstaller.endings[commandE] = {};
  run.options.clean = false;
  testing::internal::CaptureStdout();
  uninstallProductsFirstPass(run);
  detailLog().open(dir.child(L"detail.log"));
  uninstallProductsSecondPass(run);
  testing::internal::GetCapturedStdout();
  const std::string e(commandE.begin(), commandE.end());
  const std::wstring codeA = code(L'A');
  EXPECT_EQ(log(),
            "Info: KVTool cleaner Uninstall product Again: 12/06/2026 14:05:00\n"
            "Info: Entry driver list : num = 2\n"
            "Debug: Failed to get product name : " +
                std::string(codeA.begin(), codeA.end()) +
                "\n"
                "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
                "Debug: Not uninstall product : Lower [novax qz-100]\n"
                "Debug: Uninstall product : [Pravik P5]\n"
                "Info: Making uninstall string : [Pravik P5]\n"
                "Debug: Uninstall command : " +
                e +
                "\n"
                "Error: Error: Failed to uninstall product : [Pravik P5]\n"
                "Error: Product still installed at the end of the run : [Pravik P5]\n");
  EXPECT_EQ(run.productCodes,
            (std::vector<std::wstring>{code(L'A'), code(L'B'), code(L'D'), code(L'E')}));
  EXPECT_EQ(run.failureCount + run.qCount + run.pCount, 0);
}

TEST_F(ProductUninstallTest, NoMakersProductMeansNoDriverListingAndNoCommand) {
  installer = MemoryInstaller();
  installer.addProduct({code(L'C'), {{L"Publisher", L"Acme"}, {L"ProductName", L"X [Zul]"}}});
  uninstallProductsFirstPass(run);
  uninstallProductsSecondPass(run);
  EXPECT_EQ(log(),
            "Debug: --- Uninstall Tarn Packages ---\n"
            "Info: Get enumerate product codes : num = 0\n"
            "Info: KVTool cleaner Uninstall product Again: 12/06/2026 14:05:00\n");
  EXPECT_EQ(uninstaller.commands, std::vector<std::wstring>{});
  EXPECT_EQ(memory.calls(), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace kv
