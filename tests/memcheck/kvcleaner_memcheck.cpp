// The native program on a populated machine, for valgrind's memcheck: the print system and the
// installer service are in-memory ones filled with the maker's and other makers' objects, the
// uninstaller is a stand-in, and everything else (files, clock, environment, console) is the
// platform's own. It runs -T and then -C through cleanerMain, as the entry point would, and
// checks what each left. Exit 0 when both runs did what they should, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cleaner/cleaner_main.h"
#include "spooler/process_runner.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"

namespace kv {
namespace {

using Names = std::set<std::wstring>;

const std::wstring kMakerProduct = L"{10000000-0000-0000-0000-000000000001}";
const std::wstring kOtherProduct = L"{20000000-0000-0000-0000-000000000002}";

// Starts nothing: takes the product named after "/X" away, as its uninstaller would.
class StandInUninstaller : public ProcessRunner {
 public:
  explicit StandInUninstaller(MemoryInstaller& installer) : installer_(installer) {}
  ProcessOutcome runProcess(const std::wstring& commandLine, std::uint32_t) override {
    const std::size_t at = commandLine.find(L"/X{");
    if (at != std::wstring::npos) installer_.removeProduct(commandLine.substr(at + 2, 38));
    return {ProcessOutcome::End::Exited};
  }

 private:
  MemoryInstaller& installer_;
};

void fillPrintSystem(MemoryPrintSystem& memory) {
  memory.addConnection({L"\\\\srv\\Novax QZ-100", L"Novax QZ-100"});
  memory.addConnection({L"\\\\srv\\Acme", L"Acme Laser 5"});
  for (const wchar_t* monitor :
       {L"DeviceLinkMonitor", L"NetPath IO Agent", L"Standard TCP/IP Port"}) {
    memory.addMonitor(monitor);
  }
  memory.addPort({L"DLM_USB001", L"DeviceLinkMonitor", L"", 1});
  memory.addPort({L"DLM_HUB", L"DeviceLinkMonitor", L"", 1});
  memory.addPort({L"npa/lab/7", L"NetPath IO Agent", L"", 3});
  memory.addPort({L"IP_10.0.0.9", L"TCPMON.DLL", L"Standard TCP/IP Port", 1});
  memory.addPort({L"TORIN1:", L"Local Monitor", L"Local Port", 1});
  memory.addPort({L"ACME1:", L"Local Monitor", L"Local Port", 1});
  for (const wchar_t* driver : {L"Novax QZ-100", L"NOVAX qz-200", L"Kestavo k7 PCL",
                                L"Zul Z1 Color", L"tOrIn T3 Mono", L"Acme Laser 5"}) {
    memory.addDriver(driver);
  }
  memory.addQueue({L"Novax QZ-100", L"Novax QZ-100", L"DLM_USB001"});
  memory.addQueue({L"Novax QZ-200 Hub", L"NOVAX qz-200", L"DLM_HUB"});
  memory.addQueue({L"Acme Hub", L"Acme Laser 5", L"DLM_HUB"});  // keeps DLM_HUB
  memory.addQueue({L"Kestavo K7", L"Kestavo k7 PCL", L"npa/lab/7"});
  memory.addQueue({L"Zul Z1", L"Zul Z1 Color", L"IP_10.0.0.9"});
  memory.addQueue({L"Torin T3", L"tOrIn T3 Mono", L"TORIN1:", 0x1});  // paused: stays, port too
  memory.addQueue({L"Acme Laser", L"Acme Laser 5", L"ACME1:"});
}

void fillInstaller(MemoryInstaller& installer) {
  installer.addProduct(
      {kMakerProduct, {{L"Publisher", L"NOVAX"}, {L"ProductName", L"Suite [Novax QZ-100]"}}});
  installer.addUninstallEntry(
      kMakerProduct,
      {{L"UninstallString", MemoryInstaller::textValue(L"MsiExec.exe /I" + kMakerProduct)}});
  installer.addProduct(
      {kOtherProduct, {{L"Publisher", L"Acme"}, {L"ProductName", L"Tools [Novax QZ-100]"}}});
}

Names queueNames(const MemoryPrintSystem& memory) {
  Names names;
  for (const auto& queue : memory.queues()) names.insert(queue.name);
  return names;
}

Names portNames(const MemoryPrintSystem& memory) {
  Names names;
  for (const auto& port : memory.ports()) names.insert(port.name.value_or(L""));
  return names;
}

Names driverNames(const MemoryPrintSystem& memory) {
  Names names;
  for (const auto& driver : memory.drivers()) names.insert(driver.name.value_or(L""));
  return names;
}

Names connectionNames(const MemoryPrintSystem& memory) {
  Names names;
  for (const auto& connection : memory.connections()) names.insert(connection.name);
  return names;
}

bool check(bool holds, const char* what) {
  if (!holds) std::fprintf(stderr, "kvcleaner_memcheck: %s\n", what);
  return holds;
}

int runBoth(const std::wstring& program) {
  MemoryPrintSystem memory;
  ScopedPrintSpooler installedSpooler(memory);
  MemoryInstaller installer;
  ScopedInstallerService installedInstaller(installer);
  StandInUninstaller uninstaller(installer);
  ScopedProcessRunner installedRunner(uninstaller);
  fillPrintSystem(memory);
  fillInstaller(installer);
  const Names queuesBefore = queueNames(memory);
  const Names portsBefore = portNames(memory);

  bool ok = check(cleanerMain({program, L"-T"}) == 0, "-T did not end with 0");
  ok &= check(queueNames(memory) == queuesBefore && portNames(memory) == portsBefore,
              "-T changed the print system");
  ok &= check(installer.products().size() == 1, "-T left the maker's product installed");

  // The paused maker queue keeps its port and driver, whose deletions fail: exit code 1.
  ok &= check(cleanerMain({program, L"-C"}) == 1, "-C did not end with 1");
  ok &= check(queueNames(memory) == Names{L"Acme Hub", L"Acme Laser", L"Torin T3"},
              "-C left other queues than expected");
  ok &= check(portNames(memory) == Names{L"ACME1:", L"DLM_HUB", L"TORIN1:"}, "-C left other ports");
  ok &= check(driverNames(memory) == Names{L"Acme Laser 5", L"tOrIn T3 Mono"},
              "-C left other drivers");
  ok &= check(connectionNames(memory) == Names{L"\\\\srv\\Acme"}, "-C left other connections");
  ok &= check(installer.products().size() == 1 && installer.products()[0].code == kOtherProduct,
              "-C left other products");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace kv

int main() {
  // Both runs write their logs and the silent-mode settings file below a folder of their own,
  // which mkdtemp names afresh for each process.
  const std::filesystem::path temp = std::filesystem::temp_directory_path();
  std::string pattern = (temp / "kvmemcheck.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path folder = pattern;
  setenv("ALLUSERSPROFILE", folder.c_str(), 1);
  const int result = kv::runBoth((folder / "kvcleaner").wstring());
  if (result == 0) {
    std::filesystem::remove_all(folder);
  } else {
    std::fprintf(stderr, "kvcleaner_memcheck: logs kept in %s\n", folder.c_str());
  }
  return result;
}
