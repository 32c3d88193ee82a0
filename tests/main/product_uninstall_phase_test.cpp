#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "fake_uninstaller.h"
#include "main/cleaning_phases.h"
#include "messages/error_dialog.h"
#include "phase_test.h"
#include "products/installer_memory.h"

namespace kv {
namespace {

using test::code;
using test::FakeUninstaller;

class ProductUninstallTest : public test::PhaseTest {
 protected:
  ProductUninstallTest() {
    fillInstaller();
    memory.addDriver(L"NOVAX KX-100");
    memory.addDriver(L"Pravik P5");
  }

  void fillInstaller(const std::wstring& commandA = L"MsiExec.exe /I" + code(L'A') + L" /i /I",
                     std::uint32_t type = MemoryInstaller::kRegSz) {
    installer = MemoryInstaller();
    // The maker's packages, another publisher's and one whose Publisher differs in case.
    addProduct(L'A', L"NOVAX", L"Suite [NOVAX KX-100]");
    installer.addUninstallEntry(code(L'A'),
                                {{L"UninstallString", MemoryInstaller::textValue(commandA, type)}});
    addProduct(L'B', L"NOVAX", L"Tool [Pravik P5] Extra");
    addProduct(L'C', L"Acme", L"Other [NOVAX KX-100]");
    addProduct(L'D', L"NOVAX", L"Lower [novax kx-100]");
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
  };
  // Model KX-100: A alone is uninstalled, by `command` made from the registered `text` + "/I{A}".
  const auto onlyA = [&](const char* name, const std::wstring& text, const std::wstring& command,
                         std::uint32_t type = MemoryInstaller::kRegSz) {
    const bool msi = command.find(L"msiexec") != std::wstring::npos;
    const std::wstring run = command + L" /X" + code(L'A') + (msi ? L" /Qn /norestart" : L" /Qn");
    const std::string lines =
        "Debug: Uninstall product : Suite [NOVAX KX-100]\n"
        "Debug: Uninstall command : " +
        std::string(run.begin(), run.end()) +
        "\nDebug: Not uninstall product : Tool [Pravik P5] Extra\n"
        "Debug: Not uninstall product : Lower [novax kx-100]\n"
        "Debug: Not uninstall product : [Pravik P5]\n";
    return Case{
        name, L"NOVAX KX-100", false, lines, {run + L" @300000"}, text + L" /I" + code(L'A'), type};
  };
  const std::wstring unexpanded = L"%SystemRoot%\\system32\\msiexec.exe %U%";
  const Case cases[] = {
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
       "Debug: Uninstall product : Suite [NOVAX KX-100]\n"
       "Debug: Uninstall command : " +
           a +
           "\n"
           "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
           "Debug: Not uninstall product : Lower [novax kx-100]\n"
           "Debug: Uninstall product : [Pravik P5]\n"
           "Info: Making uninstall string : [Pravik P5]\n"
           "Debug: Uninstall command : " +
           e + "\n",
       {commandA + L" @300000", commandE + L" @300000"}},
      {"configured models",
       L"Pravik P5|Zul 1",
       false,
       "Debug: Not uninstall product : Suite [NOVAX KX-100]\n"
       "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
       "Debug: Not uninstall product : Lower [novax kx-100]\n"
       "Debug: Uninstall product : [Pravik P5]\n"
       "Info: Making uninstall string : [Pravik P5]\n"
       "Debug: Uninstall command : " +
           e + "\n",
       {commandE + L" @300000"}},
      {"drivers cannot be listed",
       std::nullopt,
       true,
       "Error: Failed to enumerate drivers.\n"
       "Info: Entry driver list : num = 0\n"
       "Debug: Not uninstall product : Suite [NOVAX KX-100]\n"
       "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
       "Debug: Not uninstall product : Lower [novax kx-100]\n"
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
    fillInstaller(c.registeredA, c.typeA);
    run = CleanerRun();
    if (c.models) run.config.setModels(*c.models);
    uninstaller.commands.clear();
    system.shownBoxes.clear();
    detailLog().open(dir.child(L"detail.log"));
    testing::internal::CaptureStdout();
    uninstallProductsFirstPass(run);
    // [Pravik P5] has no uninstall entry: the discovery says so on standard output.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              c.lines.find("Making") == std::string::npos
                  ? ""
                  : "ERROR: failed with error code 0x2 (RegOpenKey)\n");
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

// Both passes over the codes of the first, with model P5: only E is chosen. Whether E is still
// installed after the second pass decides, not its uninstaller's exit code; a failed package
// counts in a clean run only, and a hung uninstaller is not started again.
TEST_F(ProductUninstallTest, PackagesStillInstalledAfterTheSecondPassFail) {
  const std::wstring commandE =
      L"C:\\Windows\\system32\\msiexec.exe /X" + code(L'E') + L" /Qn /norestart";
  const std::wstring codeE = code(L'E');
  const std::string others =
      "Debug: Not uninstall product : Suite [NOVAX KX-100]\n"
      "Debug: Not uninstall product : Tool [Pravik P5] Extra\n"
      "Debug: Not uninstall product : Lower [novax kx-100]\n";
  const std::string runE =
      "Debug: Uninstall product : [Pravik P5]\nInfo: Making uninstall string : [Pravik P5]\n"
      "Debug: Uninstall command : " +
      std::string(commandE.begin(), commandE.end()) + "\n";
  const std::string first =
      "Debug: --- Uninstall Tarn Packages ---\n"
      "Info: Get enumerate product codes : num = 4\n" +
      others;
  const std::string again = "Info: KVTool cleaner Uninstall product Again: 12/06/2026 14:05:00\n";
  const std::string gone =
      "Debug: Failed to get product name : " + std::string(codeE.begin(), codeE.end()) + "\n";
  const std::string failed = "Error: Error: Failed to uninstall product : [Pravik P5]\n";
  using End = ProcessOutcome::End;
  struct Case {
    const char* name;
    bool clean;
    test::FakeEnding ending;
    std::string lines;
    int runs;  // of E's command
    int failures;
  };
  const Case cases[] = {
      {"not started, test run", false, {}, first + runE + again + others + runE + failed, 2, 0},
      {"1603 but removed",
       true,
       {{End::Exited, 1603}, true},
       first + runE + again + others + gone,
       1,
       0},
      {"1603, still installed",
       true,
       {{End::Exited, 1603}},
       first + runE + again + others + runE + failed,
       2,
       1},
      {"hung",
       true,
       {{End::TimedOut}},
       first + runE + again + others +
           "Debug: Not uninstall product again, its uninstaller did not end : [Pravik P5]\n" +
           failed,
       1,
       1},
      {"restart required",
       true,
       {{End::Exited, 3010}, true},
       first + runE + "Warn: Restart required to finish uninstalling product : [Pravik P5]\n" +
           again + others + gone,
       1,
       0},
      // E comes after the failed index: neither pass sees it, the second does not list again.
      {"listing fails part-way",
       true,
       {},
       "Debug: --- Uninstall Tarn Packages ---\n"
       "Error: Failed to enumerate product codes.\n" +
           others + again + others,
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fillInstaller();
    if (c.runs == 0) installer.failNext(InstallerOperation::EnumProducts, 1610, 4);
    run = CleanerRun();
    run.options.clean = c.clean;
    run.config.setModels(L"Pravik P5");
    uninstaller.commands.clear();
    uninstaller.endings = {{commandE, c.ending}};
    detailLog().open(dir.child(L"detail.log"));
    testing::internal::CaptureStdout();
    uninstallProductsFirstPass(run);
    uninstallProductsSecondPass(run);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(log(), c.lines);
    EXPECT_EQ(uninstaller.commands, std::vector<std::wstring>(c.runs, commandE + L" @300000"));
    EXPECT_EQ(run.failureCount, c.failures);
    EXPECT_EQ(run.qCount + run.pCount, 0);
  }
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
