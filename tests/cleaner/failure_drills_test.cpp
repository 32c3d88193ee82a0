// Whole runs on a populated in-memory machine with faults injected: every drill ends with its
// exit code, its lines and its record, and leaves every object of the other makers in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "cleaner/cleaner_main.h"
#include "fake_uninstaller.h"
#include "rules/driver_filter.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::code;

const std::wstring kLongQueue = L"NOVAX " + std::wstring(250, L'q');
const std::wstring kLongPort = std::wstring(64, L'P');  // one more than the monitors' records take

struct Machine {
  MemoryPrintSystem memory;
  MemoryInstaller installer;

  Machine() {
    memory.addConnection({L"\\\\srv\\NOVAX C1", L"NOVAX C1"});
    memory.addConnection({L"\\\\srv\\Other C", L"Other C"});
    memory.addMonitor(L"DeviceLinkMonitor");
    memory.addMonitor(L"NetPath IO Agent");
    memory.addPort({L"DLM1", L"DeviceLinkMonitor", L"", 1});
    memory.addPort({L"DLM2", L"DeviceLinkMonitor", L"", 1});
    memory.addPort({L"C:\\out\\z\u00FCl.prn", L"Local Monitor", L"Local Port", 1});
    memory.addPort({kLongPort, L"NetPath IO Agent", L"", 1});
    memory.addPort({L"OTH1:", L"Local Monitor", L"Local Port", 1});
    for (const wchar_t* driver :
         {L"NOVAX D1", L"Zul Caf\u00E9 \u2603", L"NOVAX D4", L"Other Laser"}) {
      memory.addDriver(driver);
    }
    memory.addQueue({L"N1", L"NOVAX D1", L"DLM1"});
    memory.addQueue({L"N2", L"NOVAX D1", L"DLM1"});
    memory.addQueue({L"N3 \u00E9\u2603", L"Zul Caf\u00E9 \u2603", L"C:\\out\\z\u00FCl.prn"});
    memory.addQueue({kLongQueue, L"NOVAX D4", kLongPort});
    memory.addQueue({L"Other A", L"Other Laser", L"OTH1:"});
    memory.addQueue({L"Other B", L"Other Laser", L"DLM2"});
    installer.addProduct(
        {code(L'A'), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"Pkg [NOVAX D1]"}}});
    installer.addProduct(
        {code(L'B'), {{L"Publisher", L"Acme"}, {L"ProductName", L"Pkg [NOVAX D1]"}}});
  }

  bool hasPort(const std::wstring& name) const {
    for (const auto& port : memory.ports()) {
      if (port.name && upperCaseCopy(*port.name) == upperCaseCopy(name)) return true;
    }
    return false;
  }

  // Every queue of another maker with its port, their driver and connection, their package.
  bool othersUntouched() const {
    int others = 0;
    for (const auto& queue : memory.queues()) {
      if (queue.driver != L"Other Laser") continue;
      ++others;
      if (!queue.port || !hasPort(*queue.port)) return false;
    }
    bool driver = false;
    for (const auto& d : memory.drivers()) driver = driver || d.name == L"Other Laser";
    bool connection = false;
    for (const auto& c : memory.connections())
      connection = connection || c.name == L"\\\\srv\\Other C";
    bool product = false;
    for (const auto& p : installer.products()) product = product || p.code == code(L'B');
    return others >= 2 && driver && connection && product;
  }
};

const Machine* watched = nullptr;

// Runs at the process exit, the fatal ones included: another maker's object gone is exit 99.
void exitUnlessOthersUntouched() {
  if (watched != nullptr && !watched->othersUntouched()) std::_Exit(99);
}

using Fault = std::function<void(Machine&, test::FakeUninstaller&)>;

// One whole run with `options` (the logs go to `dir`, emptied first) in a child process on a
// machine with `fault`: its exit code, its lines in this order and how its record ends.
void expectRun(const std::filesystem::path& dir, std::vector<std::wstring> options,
               const Fault& fault, int exitCode, const std::string& record,
               const std::vector<std::string>& lines) {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "ProgramData");
  test::FakeSystemServices system;
  system.environment[L"ALLUSERSPROFILE"] = (dir / "ProgramData").wstring();
  Machine machine;
  ScopedPrintSpooler spooler(machine.memory);
  ScopedInstallerService installer(machine.installer);
  test::FakeUninstaller uninstaller(machine.installer);
  ScopedProcessRunner runner(uninstaller);
  fault(machine, uninstaller);
  std::vector<std::wstring> args = {L"kvcleaner.exe", L"-D", dir.wstring()};
  args.insert(args.end(), options.begin(), options.end());
  EXPECT_EXIT(
      {
        watched = &machine;
        std::atexit(exitUnlessOthersUntouched);
        std::exit(cleanerMain(args));
      },
      ::testing::ExitedWithCode(exitCode), "");

  const std::string detail = test::readBytes(dir / "PC01_12062026_140500.KVTOOL_CLEANER.log");
  std::size_t at = 0;
  for (const std::string& line : lines) {
    at = detail.find(line, at);
    EXPECT_NE(at, std::string::npos) << line << "\n" << detail.substr(0, 4000);
    if (at == std::string::npos) break;
    at += line.size();  // a line expected twice must be there twice
  }
  // One record, that of the last run.
  const std::string operation = test::readBytes(dir / "Operation.log");
  EXPECT_TRUE(operation.ends_with(record)) << operation;
  EXPECT_EQ(operation.find("\r\n"), operation.size() - 2) << operation;
}

TEST(FailureDrills, EachEndsWithItsOwnCodeAndTouchesNoOtherMaker) {
  struct Drill {
    const char* name;
    const wchar_t* mode;
    Fault fault;
    int exitCode;
    const char* record;              // how the operation log record ends
    std::vector<std::string> lines;  // in this order in the detail log
  };
  const auto none = [](Machine&, test::FakeUninstaller&) {};
  const std::filesystem::path dir = test::runFolder() / "failure_drills";
  const Drill drills[] = {
      {"clean",
       L"-C",
       none,
       0,
       ", 0, OK\r\n",
       {"Debug: Uninstall product : Pkg [NOVAX D1]",
        "Error: Failed to delete port " + std::string(64, 'P') + ".(87)",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
      {"test run",
       L"-T",
       none,
       0,
       ", 0, OK\r\n",
       {"Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:0]"}},
      {"connections cannot be listed",
       L"-C",
       [](Machine& m, auto&) { m.memory.failAlways(SpoolerOperation::EnumPrinters, 5); },
       16,
       ", 16, NG\r\n",
       {"Error: Failed to enumerate network queue connections.", "Error: Error constant = 16"}},
      {"queues cannot be listed",
       L"-T",
       [](Machine& m, auto&) { m.memory.failNext(SpoolerOperation::EnumPrinters, 5, 3); },
       17,
       ", 17, NG\r\n",
       {"Error: Failed to enumerate printers.", "Error: Error constant = 17"}},
      {"ports cannot be listed",
       L"-C",
       [](Machine& m, auto&) { m.memory.failAlways(SpoolerOperation::EnumPorts, 5); },
       18,
       ", 18, NG\r\n",
       {"Info: Successfully deleted local queue N1.", "Error: Failed to enumerate ports.",
        "Error: Error constant = 18"}},
      {"drivers cannot be listed",
       L"-C",
       [](Machine& m, auto&) { m.memory.failAlways(SpoolerOperation::EnumPrinterDrivers, 5); },
       0,
       ", 0, OK\r\n",
       {"Error: Failed to enumerate drivers.", "Debug: Not uninstall product : Pkg [NOVAX D1]",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
      {"products cannot be listed",
       L"-C",
       [](Machine& m, auto&) { m.installer.failEnumerationAt(0, 1610); },
       0,
       ", 0, OK\r\n",
       {"Error: Failed to enumerate product codes.",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
      {"every deletion fails with its own code",
       L"-C",
       [](Machine& m, test::FakeUninstaller& u) {
         m.memory.failAlways(SpoolerOperation::DeletePrinterConnection, 5);
         m.memory.failAlways(SpoolerOperation::DeletePrinter, 32);
         m.memory.monitor(L"DeviceLinkMonitor")->deletePortStatus = 13;
         m.memory.failAlways(SpoolerOperation::DeletePort, 1796);
         m.memory.failAlways(SpoolerOperation::DeletePrinterDriverEx, 3001);
         u.failAll = true;
       },
       1,
       ", 5, NG\r\n",
       {"Error: Failed to delete \\\\srv\\NOVAX C1.(5)",
        "Error: Error: Failed to delete local queue N1.(32)",
        "Error: Failed to delete port DLM1.(13)", "Error: Failed to delete port DLM1.(13)",
        "Error: Error: Failed to delete driver NOVAX D1.(3001)",
        "Error: Error: Failed to delete driver NOVAX D1.(3001)",
        "Error: Error: Failed to uninstall product : Pkg [NOVAX D1]",
        "Debug: KVTOOL cleaner execution completed. (5) [Q:5, P:4]"}},
      // N3 and its port vanish once N1 is being checked.
      {"objects vanish after the listing",
       L"-C",
       [](Machine& m, auto&) {
         m.memory.afterNextCall(SpoolerOperation::OpenPrinter, [&m] {
           std::erase_if(m.memory.queues(),
                         [](const auto& q) { return q.name.starts_with(L"N3"); });
           m.memory.deletePortW(nullptr, nullptr, L"C:\\out\\z\u00FCl.prn");
         });
       },
       0,
       ", 0, OK\r\n",
       {"Error: Failed to delete local queue N3 ", "Warn: Monitor name not found: C:\\out\\z",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:1, P:1]"}},
      // Another maker's queue takes the maker's port once the queues have been listed.
      {"a queue appears after the listing",
       L"-C",
       [](Machine& m, auto&) {
         m.memory.afterNextCall(SpoolerOperation::DeletePrinter, [&m] {
           m.memory.addQueue({L"Late", L"Other Laser", L"DLM1"});
         });
       },
       0,
       ", 0, OK\r\n",
       {"Warn: Port still used by a queue that is not cleaned: DLM1",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
      // Stopped for good once its queues are gone; the next run starts on what it left and
      // finishes the job from the note the first one kept.
      {"a run stops after its queues and runs again",
       L"-C",
       [&dir](Machine& m, auto&) {
         m.memory.afterNextCall(SpoolerOperation::EnumPorts, [&dir] {
           std::exit(cleanerMain({L"kvcleaner.exe", L"-D", dir.wstring(), L"-C"}));
         });
       },
       0,
       ", 0, OK\r\n",
       {"Info: Successfully deleted local queue " + std::string("NOVAX ") + std::string(250, 'q'),
        "Info: KVTool cleaner started: ", "Info: Ports and drivers left by an earlier run: 3",
        "Info: Successfully deleted port: DLM1", "Info: Successfully removed port: C:\\out\\z",
        "Error: Failed to delete port " + std::string(64, 'P') + ".(87)",
        "Info: Successfully deleted driver NOVAX D1", "Info: Successfully deleted driver Zul Caf",
        "Info: Successfully deleted driver NOVAX D4",
        // The port that failed keeps its entry in the note for the next run.
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
  };
  for (const Drill& d : drills) {
    SCOPED_TRACE(d.name);
    expectRun(dir, {d.mode}, d.fault, d.exitCode, d.record, d.lines);
  }
  std::filesystem::remove_all(dir);
}

// Configuration files of every shape, on the same machine. A file is read up to its first zero
// byte, as INI files are: binary content behind a text keeps the text's models, and a binary file
// from its first byte names no models, so the brand texts decide. A large file loads whatever its
// size.
TEST(FailureDrills, ConfigurationFilesOfEveryShape) {
  std::string binary(1, '\0');
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919 + 13) % 256));
  std::string manyModels = "[Clean]\nModels=";
  for (int i = 0; i < 100000; ++i) manyModels += "Model " + std::to_string(i) + "|";
  manyModels += "NOVAX D1\n";
  std::string hundredMegabytes = "[Clean]\nModels=NOVAX D4\n[Padding]\n";
  const std::string comment = "; " + std::string(1000, 'x') + "\n";
  while (hundredMegabytes.size() < 100u * 1024 * 1024) hundredMegabytes += comment;

  struct Drill {
    const char* name;
    const std::string* bytes;
    int exitCode;
    const char* record;
    std::vector<std::string> lines;
  };
  const std::string binaryWithText = "[Clean]\nModels=NOVAX D1\n" + binary;
  const Drill drills[] = {
      {"binary",
       &binary,
       0,
       ", 0, OK\r\n",
       {"Debug: Matching NFG string found : N2 Driver: NOVAX D1",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:1]"}},
      {"text with binary behind it",
       &binaryWithText,
       0,
       ", 0, OK\r\n",
       {"Debug: No match found,removing from list: N3", "Debug: Match found : N2 Driver: NOVAX D1",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:0]"}},
      {"100,000 models",
       &manyModels,
       0,
       ", 0, OK\r\n",
       {"Debug: Match found : N2 Driver: NOVAX D1", "Info: Successfully deleted local queue N1.",
        "Debug: KVTOOL cleaner execution completed. (0) [Q:0, P:0]"}},
      {"100 MB",
       &hundredMegabytes,
       0,
       ", 0, OK\r\n",
       {"Debug: No match found,removing from list: N2 Driver: NOVAX D1",
        "Error: Failed to delete port " + std::string(64, 'P') + ".(87)"}},
  };
  const std::filesystem::path dir = test::runFolder() / "config_drills";
  const std::filesystem::path file = test::runFolder() / "config_drill.ini";
  for (const Drill& d : drills) {
    SCOPED_TRACE(d.name);
    test::writeBytes(file, *d.bytes);
    expectRun(
        dir, {L"-C", L"-F", file.wstring()}, [](Machine&, test::FakeUninstaller&) {}, d.exitCode,
        d.record, d.lines);
  }
  std::filesystem::remove(file);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv
