// kvcheck on an in-memory machine: what it reports is what kvcleaner -C then does, it changes
// nothing on the way, and each failure ends it with its code.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "check/check_main.h"
#include "check/check_options.h"
#include "cleaner/cleaner_main.h"
#include "cleaner/fake_uninstaller.h"
#include "config/pending_removals_note.h"
#include "log/logger.h"
#include "products/console_capture.h"
#include "rules/logon_registration.h"
#include "standins/driver_store_memory.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"
#include "system/machine_registry.h"
#include "system/multi_string.h"
#include "system/utf8.h"

namespace kv {
namespace {

using test::code;

// Busy and printing queues, shared ports, another maker's queue on one of them, a connection,
// packages, an earlier run's note, a driver no queue uses and one of the x86 environment.
struct Machine {
  test::FakeSystemServices system;
  test::TempDir dir;
  MemoryPrintSystem memory;
  ScopedPrintSpooler spooler{memory};
  MemoryInstaller installer;
  ScopedInstallerService installed{installer};
  test::FakeUninstaller uninstaller{installer};
  ScopedProcessRunner runner{uninstaller};
  test::ConsoleCapture console{system};
  MemoryMachineRegistry registry;
  ScopedMachineRegistry installedRegistry{registry};
  MemoryDriverStore store{memory};
  ScopedDriverStore installedStore{store};

  Machine() {
    memory.addConnection({L"\\\\srv\\NOVAX C1", L"NOVAX C1"});
    memory.addConnection({L"\\\\srv\\Other C", L"Other C"});
    memory.addServerQueue({L"\\\\ps\\NOVAX M1", L"NOVAX M1"});
    memory.addServerQueue({L"\\\\ps\\Other M", L"Other M"});
    for (const wchar_t* name : {L"\\\\ps\\NOVAX M1", L"\\\\ps\\Other M", L"\\\\down\\NOVAX M2"}) {
      memory.addMachineConnection(name);
    }
    memory.addMonitor(L"DeviceLinkMonitor");
    memory.addPort({L"DLM1", L"DeviceLinkMonitor", L"", 1});
    memory.addPort({L"DLM2", L"DeviceLinkMonitor", L"", 1});
    memory.addPort({L"LPT1:", L"Local Monitor", L"Local Port", 1});
    memory.addPort({L"OLD1:", L"Local Monitor", L"Local Port", 1});
    for (const wchar_t* driver : {L"NOVAX D2", L"Zulu Laser 9", L"NOVAX Old"}) {
      memory.addDriver(driver);
    }
    memory.addDriver(L"NOVAX D1", std::nullopt, L"S:\\d1\\novax.inf");
    memory.addDriver(L"NOVAX Left", std::nullopt, L"C:\\Windows\\INF\\oem4.inf");
    memory.addDriver(L"Other Laser", std::nullopt, L"S:\\o\\acme.inf");
    // Two of the maker's packages, one another maker's driver uses, one of another maker only.
    store.addPackage({L"oem3.inf", L"S:\\d1\\novax.inf", L"NOVAX", {}, {L"NOVAX D1"}});
    store.addPackage({L"oem4.inf", L"S:\\l\\novax.inf", L"NOVAX", {}, {L"NOVAX Left"}});
    store.addPackage({L"oem5.inf", L"S:\\z\\z.inf", L"Acme", {L"Zulu Systems"}, {L"Zulu Laser 9"}});
    store.addPackage({L"oem6.inf", L"S:\\o\\acme.inf", L"Acme", {L"NOVAX"}, {L"Other Laser"}});
    memory.addDriver(L"NOVAX Legacy", L"Windows NT x86");
    memory.addQueue({L"N idle", L"NOVAX D1", L"DLM1"});
    memory.addQueue({L"N busy", L"NOVAX D2", L"DLM1", 0x1});
    memory.addQueue({L"N printing", L"Zulu Laser 9", L"LPT1:", 0, 2});
    memory.addQueue({L"N shared", L"NOVAX D1", L"DLM2"});
    memory.addQueue({L"Other", L"Other Laser", L"DLM2"});
    installer.addProduct(
        {code(L'A'), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"Pkg [NOVAX D1]"}}});
    installer.addProduct({code(L'B'), {{L"Publisher", L"NOVAX"}, {L"ProductName", L"Tools"}}});
    installer.addProduct(
        {code(L'C'), {{L"Publisher", L"Acme"}, {L"ProductName", L"Pkg [NOVAX D1]"}}});
    system.machineValues[L"PendingRemovals"] = encodePendingRemovals(
        {{L"NOVAX Old", L"OLD1:"},
         {L"NOVAX Old", L"GONE:"},
         {L"oem3.inf", L"S:\\d1\\novax.inf", false, 3015, L"2026-12-01", true}});
  }

  int check(std::vector<std::wstring> options) {
    options.insert(options.begin(), L"kvcheck.exe");
    return checkMain(options);
  }

  // Runs kvcleaner -C with `options` and checks that what the report says goes is gone and what
  // it says stays is there; the number of objects it looked at.
  int agreesWithACleanRun(const nlohmann::ordered_json& report, std::vector<std::wstring> options) {
    options.insert(options.begin(), {L"kvcleaner.exe", L"-C", L"-D", dir.wide()});
    EXPECT_EQ(cleanerMain(options), 1);
    operationLog().close();
    int objects = 0;
    for (const auto& [kind, listed] : report.items()) {
      if (!listed.is_array() || kind == "models") continue;
      for (const auto& object : listed) {
        const std::string decision = object["decision"];
        const bool goes = decision != "keep" && decision != "unreached";
        EXPECT_EQ(present(kind, object), !goes) << object.dump();
        ++objects;
      }
    }
    return objects;
  }

  // Whether an object the check named under `kind` is still on the machine (a package by its code:
  // another maker's may bear the same name).
  bool present(const std::string& kind, const nlohmann::ordered_json& object) {
    const std::wstring name =
        utf8ToWide(object[kind == "packages" ? "code" : "name"].get<std::string>());
    const auto named = [&](const auto& list, auto nameOf) {
      return std::any_of(list.begin(), list.end(),
                         [&](const auto& o) { return nameOf(o) == name; });
    };
    if (kind == "packages")
      return named(installer.products(), [](const auto& p) { return p.code; });
    if (kind == "connections")
      return named(memory.connections(), [](const auto& c) { return c.name; });
    if (kind == "machineConnections") {
      return named(memory.machineConnections(), [](const auto& c) { return c; });
    }
    if (kind == "queues") return named(memory.queues(), [](const auto& q) { return q.name; });
    if (kind == "ports") return named(memory.ports(), [](const auto& p) { return *p.name; });
    if (kind == "driverPackages") {
      return named(store.packages(), [](const auto& p) { return p.publishedName; });
    }
    return named(memory.drivers(), [](const auto& d) { return *d.name; });
  }
};

TEST(Check, SaysWhatACleanRunThenDoesAndChangesNothing) {
  Machine machine;
  const auto noteBefore = machine.system.machineValues;
  ASSERT_EQ(machine.check({}), 114);
  EXPECT_EQ(machine.console.out,
            LR"(What kvcleaner -C would do on this PC (nothing has been changed)
Computer: PC01, 2026-12-06T13:05:00Z, kvcheck 0.1.0
Account: PC01\admin (elevated)
Windows: 10.0.19045, x64
Models: none, the maker's brand texts choose
Restart required: no
Exit code: 114, a clean run with these options would still change something
  Installer packages: uninstall 1, keep 1
  Network printer connections: disconnect 1
  Per-machine printer connections: disconnect 1
  Local queues: delete 2, keep 2
  Ports: delete 1, keep 3
  Drivers: delete 2, keep 2
  Driver store packages: keep 3
  Pending removals of an earlier run: take 2
  The maker's drivers no clean run reaches: unreached 2

Installer packages
  Pkg [NOVAX D1]  uninstall   its name ends in [NOVAX D1] [code: {00000000-0000-0000-0000-00000000000A}, command: C:\Windows\system32\msiexec.exe /X{00000000-0000-0000-0000-00000000000A} /Qn /norestart]
  Tools           keep        its name does not end in [<installed driver>] [code: {00000000-0000-0000-0000-00000000000B}]

Network printer connections
  \\srv\NOVAX C1  disconnect  driver NOVAX C1 holds the brand text NOVAX [driver: NOVAX C1]

Per-machine printer connections
  Note: The print server of \\down\NOVAX M2 did not answer (1722): a clean run keeps it.
  \\ps\NOVAX M1  disconnect  driver NOVAX M1 holds the brand text NOVAX [driver: NOVAX M1]

Local queues
  N idle      delete      driver NOVAX D1 holds the brand text NOVAX; idle [driver: NOVAX D1, port: DLM1]
  N busy      keep        driver NOVAX D2 holds the brand text NOVAX; busy (42): paused, in error, pending deletion or waiting for the user [driver: NOVAX D2, port: DLM1]
  N printing  keep        driver Zulu Laser 9 holds the brand text ZUL; printing or holding jobs (30) [driver: Zulu Laser 9, port: LPT1:]
  N shared    delete      driver NOVAX D1 holds the brand text NOVAX; idle [driver: NOVAX D1, port: DLM2]

Ports
  DLM1   keep        queue N busy stays and uses it: the deletion fails [monitor: DeviceLinkMonitor, route: XcvData DeletePort, protocol: 2]
  LPT1:  keep        Windows' own port, which every printer may use
  DLM2   keep        a queue that is not cleaned uses it
  OLD1:  delete      the spooler's own port removal [monitor: Local Monitor, route: DeletePortW]

Drivers
  NOVAX D1      delete      driver NOVAX D1 holds the brand text NOVAX
  NOVAX D2      keep        driver NOVAX D2 holds the brand text NOVAX; queue N busy stays and uses it: the deletion fails
  Zulu Laser 9  keep        driver Zulu Laser 9 holds the brand text ZUL; queue N printing stays and uses it: the deletion fails
  NOVAX Old     delete      driver NOVAX Old holds the brand text NOVAX

Driver store packages
  oem3.inf  keep        driver packages are removed only when clean.ini asks for it; an earlier run failed to remove it since 2026-12-01 (3015) [storePath: S:\d1\novax.inf, provider: NOVAX, models: NOVAX D1, usedBy: NOVAX D1 (Windows x64), lastError: 3015, failingSince: 2026-12-01]
  oem4.inf  keep        driver packages are removed only when clean.ini asks for it [storePath: S:\l\novax.inf, provider: NOVAX, models: NOVAX Left, usedBy: NOVAX Left (Windows x64)]
  oem6.inf  keep        another maker's driver uses it [storePath: S:\o\acme.inf, provider: Acme, models: , usedBy: Other Laser (Windows x64)]

Pending removals of an earlier run
  NOVAX Old  take        driver NOVAX Old holds the brand text NOVAX [port: OLD1:]
  NOVAX Old  take        driver NOVAX Old holds the brand text NOVAX [port: GONE:]

The maker's drivers no clean run reaches
  NOVAX Left    unreached   driver NOVAX Left holds the brand text NOVAX; no queue of the maker and no note of an earlier run uses it [environment: Windows x64]
  NOVAX Legacy  unreached   driver NOVAX Legacy holds the brand text NOVAX; a clean run deletes drivers of Windows x64 only [environment: Windows NT x86]
)");
  machine.console.out.clear();
  ASSERT_EQ(machine.check({L"-j"}), 114);
  EXPECT_EQ(machine.console.err.find(L"ERROR"), 0u);  // the discovery's line, on standard error

  // Nothing changed: only queues opened for their state, no log, note, process or package gone.
  for (const std::wstring& call : machine.memory.calls()) {
    if (call.starts_with(L"Enum") || call.starts_with(L"GetPrinterW") ||
        call.starts_with(L"ClosePrinter")) {
      continue;
    }
    EXPECT_TRUE((call.starts_with(L"OpenPrinterW(N ") || call.starts_with(L"OpenPrinterW(\\\\")) &&
                call.ends_with(L", 8)"))
        << call;
  }
  EXPECT_EQ(machine.system.machineValues, noteBefore);
  EXPECT_TRUE(machine.uninstaller.commands.empty());
  EXPECT_TRUE(std::filesystem::is_empty(machine.dir.path()));
  EXPECT_FALSE(detailLog().isOpen());

  const auto report = nlohmann::ordered_json::parse(wideToUtf8(machine.console.out));
  std::string keys;
  for (const auto& [key, value] : report.items()) keys += key + " ";
  EXPECT_EQ(
      keys,
      "schema program version computer time account windows models exitCode found "
      "restartRequired counts notes packages connections machineConnections queues ports drivers "
      "driverPackages pendingRemovals unreachedDrivers ");
  EXPECT_EQ(report["version"], KV_CHECK_VERSION);
  EXPECT_EQ(report["time"].dump() + report["account"].dump() + report["windows"].dump(),
            R"("2026-12-06T13:05:00Z"{"name":"PC01\\admin","localSystem":false,"elevated":true})"
            R"({"version":"10.0.19045","nativeArchitecture":"x64"})");
  EXPECT_EQ(report["exitCode"], 114);
  EXPECT_EQ(report["counts"].dump(),
            R"({"packages":{"uninstall":1,"keep":1},"connections":{"disconnect":1},)"
            R"("machineConnections":{"disconnect":1},)"
            R"("queues":{"delete":2,"keep":2},"ports":{"delete":1,"keep":3},)"
            R"("drivers":{"delete":2,"keep":2},"driverPackages":{"keep":3},)"
            R"("pendingRemovals":{"take":2},)"
            R"("unreachedDrivers":{"unreached":2}})");
  EXPECT_EQ(report["restartRequired"], nlohmann::ordered_json({{"required", false}}));
  EXPECT_EQ(machine.agreesWithACleanRun(report, {}), 23);

  // The -F file's opt-ins: kvcheck with the same file says what that run then removes.
  struct Row {
    const char* file;
    const char* packageCounts;
  };
  const Row rows[] = {
      {"[Clean]\r\nDriverPackages=Remove\r\n", R"({"delete":1,"keep":2})"},
      {"[Clean]\r\nDriverPackages=REMOVE\r\nUnusedDrivers=remove\r\n", R"({"delete":2,"keep":1})"},
      {"[Clean]\r\nDriverPackages=Yes\r\nUnusedDrivers=\r\n", R"({"keep":3})"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    Machine other;
    test::writeBytes(other.dir.path() / "clean.ini", row.file);
    const std::vector<std::wstring> options = {L"-F", other.dir.child(L"clean.ini")};
    other.console.out.clear();
    std::vector<std::wstring> checkOptions = options;
    checkOptions.push_back(L"-j");
    ASSERT_EQ(other.check(checkOptions), 114);
    const auto withFile = nlohmann::ordered_json::parse(wideToUtf8(other.console.out));
    EXPECT_EQ(withFile["counts"]["driverPackages"].dump(), row.packageCounts);
    EXPECT_EQ(other.agreesWithACleanRun(withFile, options), 23);
  }
}

// Queue names that fill the line of -S to a known length whatever the version's length.
std::wstring fillerQueue(int i) {
  const std::size_t length = i == 10 ? 55 - (sizeof KV_CHECK_VERSION - 1) : i == 36 ? 51 : 50;
  return L"Nq" + std::to_wstring(i) + std::wstring(length, L'x');
}

TEST(Check, EndsWithItsCode) {
  // Package A has no uninstall entry: the discovery's line, on standard error.
  const std::wstring kNoUninstallEntry = L"ERROR: failed with error code 0x2 (RegOpenKey)\n";
  using Fault = std::function<void(Machine&)>;
  struct Drill {
    const char* name;
    std::vector<std::wstring> options;
    Fault fault;
    int exitCode;
    std::wstring err;
    std::wstring outHas = L"";
  };
  const auto none = [](Machine&) {};
  const Drill drills[] = {
      {"wrong options",
       {L"-C", L"x", L"-Fa.ini", L"-JSON", L"-j", L"-S", L"-M", L"", L"-f"},
       none,
       1,
       L"Unknown option: \"-C\".\nNot an option: \"x\".\nUnknown option: \"-JSON\".\n"
       L"Option -M needs the models, as \"<model>|<model>\".\nOption -F is given more than once.\n"
       L"Options -J and -S cannot be given together.\n" +
           std::wstring(kCheckUsage)},
      {"-M last",
       {L"-M"},
       none,
       1,
       L"Option -M needs the models, as \"<model>|<model>\".\n" + std::wstring(kCheckUsage)},
      {"-F last",
       {L"-J", L"-F"},
       none,
       1,
       L"Option -F needs the configuration file's name.\n" + std::wstring(kCheckUsage)},
      {"a file that names no model",
       {L"-F{dir}/none.ini", L"-MNOVAX D2"},
       [](Machine& m) { test::writeBytes(m.dir.path() / "none.ini", "[Other]\r\nKey=1\r\n"); },
       114,
       L"",
       L"Models: NOVAX D2\n"},
      {"a file that names no model, without -M",
       {L"-F", L"{dir}/none.ini"},
       [](Machine& m) { test::writeBytes(m.dir.path() / "none.ini", "[Other]\r\nKey=1\r\n"); },
       114,
       L"Models: none \u2014 {dir}/none.ini names no model, so the maker's brand texts choose\n" +
           kNoUninstallEntry,
       L"Models: none \u2014 {dir}/none.ini names no model, so the maker's brand texts choose\n"
       L"What kvcleaner -C would do"},
      {"configuration",
       {L"-F", L"no such file.ini"},
       none,
       4,
       L"Failed to load the configuration file.\n"},
      {"installer",
       {},
       [](Machine& m) { m.installer.failEnumerationAt(0, 1610); },
       115,
       L"ERROR: failed with error code 0x64A (MsiEnumProducts)\n"
       L"Failed to enumerate product codes.\n"},
      {"drivers",
       {},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPrinterDrivers, 5); },
       17,
       L"Failed to enumerate drivers.\n"},
      {"connections",
       {},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPrinters, 5); },
       16,
       kNoUninstallEntry + L"Failed to enumerate network queue connections.\n"},
      {"queues",
       {},
       [](Machine& m) { m.memory.failNext(SpoolerOperation::EnumPrinters, 5, 3); },
       17,
       kNoUninstallEntry + L"Failed to enumerate printers.\n"},
      {"ports",
       {},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPorts, 5); },
       18,
       kNoUninstallEntry + L"Failed to enumerate ports.\n"},
      {"as LocalSystem",
       {L"-MNOVAX C1"},
       [](Machine& m) { m.system.localSystem = true; },
       114,
       L"",
       L"Network printer connections\n  Note: Running as LocalSystem, which sees no user's network "
       L"printer connections: run kvcheck in the user's session to see them. kvdisconnect "
       L"registered for each user's logon (kvdisconnect -R) removes users' connections: not "
       L"registered.\n  \\\\srv"},
      {"as LocalSystem, registered",
       {},
       [](Machine& m) {
         m.system.localSystem = true;
         m.registry.writeString(kLogonRegistrationKey, L"StubPath",
                                L"\"C:\\kv.exe\" -C -M \"A|B\"");
         m.registry.writeString(kLogonRegistrationKey, L"Version", L"2026,1206,1405,0");
       },
       114,
       kNoUninstallEntry,
       L"removes users' connections: registered, with models A|B (Version 2026,1206,1405,0).\n"},
      {"per-machine connections, which a clean run counts in Q and goes on",
       {},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPerMachineConnections, 5); },
       114,
       kNoUninstallEntry,
       L"Per-machine printer connections\n  Note: Failed to enumerate per-machine printer "
       L"connections (5): a clean run cannot list them either, leaves them and counts that in Q "
       L"with an Error line.\n"},
      {"own environment's drivers",
       {},
       [](Machine& m) { m.memory.failNext(SpoolerOperation::EnumPrinterDrivers, 1805, 3); },
       17,
       kNoUninstallEntry + L"Failed to enumerate drivers.\n"},
      {"a reached driver's namesake elsewhere",
       {},
       [](Machine& m) { m.memory.addDriver(L"NOVAX D1", L"Windows NT x86"); },
       114,
       kNoUninstallEntry,
       L"NOVAX D1      unreached   driver NOVAX D1 holds the brand text NOVAX; a clean run deletes "
       L"drivers of Windows x64 only [environment: Windows NT x86]"},
      // The PC started at 12:05:00 UTC; the restart owed since 12:05:00 has not been made.
      {"restart owed",
       {},
       [](Machine& m) {
         m.system.machineValues[L"RestartRequired"] =
             multiStringBytes({L"2026-12-06T12:05:00Z", L"Pkg [NOVAX D1]", L"Tools"});
       },
       114,
       kNoUninstallEntry,
       L"\nRestart required: yes, since 2026-12-06T12:05:00Z, by Pkg [NOVAX D1]|Tools\n"},
      {"restarted since",
       {},
       [](Machine& m) {
         m.system.machineValues[L"RestartRequired"] =
             multiStringBytes({L"2026-12-06T12:04:59Z", L"Tools"});
       },
       114,
       kNoUninstallEntry,
       L"\nRestart required: no\n"},
      // Packages go by the models alone: the drivers are not listed for them, so the listing
      // that fails is the drivers' own, after the packages.
      {"models given",
       {L"-MNOVAX D1"},
       [](Machine& m) { m.memory.failNext(SpoolerOperation::EnumPrinterDrivers, 5, 1); },
       17,
       kNoUninstallEntry + L"Failed to enumerate drivers.\n"},
      {"ports, as JSON",
       {L"-J"},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPorts, 5); },
       18,
       kNoUninstallEntry + L"Failed to enumerate ports.\n",
       L"\"exitCode\": 18,\n  \"failure\": \"Failed to enumerate ports.\",\n  \"found\": false,\n"
       L"  \"restartRequired\": {\n    \"required\": false\n  },\n  \"counts\": {\n    "
       L"\"packages\": {},"},
      {"ports, as one line",
       {L"-s"},
       [](Machine& m) { m.memory.failAlways(SpoolerOperation::EnumPorts, 5); },
       18,
       kNoUninstallEntry + L"Failed to enumerate ports.\n",
       L" models= failure=Failed\\x20to\\x20enumerate\\x20ports. restart=0 change=\n"},
      {"a queue that refuses the check",
       {},
       [](Machine& m) { m.memory.queues()[0].refusedOpen = 5; },
       114,
       kNoUninstallEntry +
           L"Cannot tell what a clean run does with 1 of the maker's objects: access "
           L"denied: run kvcheck as an administrator to see.\n",
       L"  N idle      cannot tell  driver NOVAX D1 holds the brand text NOVAX; access denied: run "
       L"kvcheck as an administrator to see [driver: NOVAX D1, port: DLM1]\n"},
      {"a queue that refuses the check, as JSON",
       {L"-J", L"-MNOVAX D1"},
       [](Machine& m) { m.memory.queues()[0].refusedOpen = 5; },
       114,
       kNoUninstallEntry +
           L"Cannot tell what a clean run does with 1 of the maker's objects: access "
           L"denied: run kvcheck as an administrator to see.\n",
       L"\"decision\": \"unknown\",\n      \"why\": \"driver NOVAX D1 is a configured model; "
       L"access "
       L"denied: run kvcheck as an administrator to see\",\n      \"driver\": \"NOVAX D1\",\n      "
       L"\"port\": \"DLM1\",\n      \"error\": 5\n"},
      {"an earlier refusal, then another error",
       {L"-MNOVAX D1"},
       [](Machine& m) {
         m.memory.queues()[0].refusedOpen = 5;
         m.memory.queues()[3].refusedOpen = 1722;
       },
       114,
       kNoUninstallEntry +
           L"Cannot tell what a clean run does with 2 of the maker's objects: access "
           L"denied: run kvcheck as an administrator to see.\n",
       L"  N shared  cannot tell  driver NOVAX D1 is a configured model; the queue cannot be "
       L"opened (1722) [driver: NOVAX D1, port: DLM2]\n"},
      {"a note that refuses the check",
       {L"-MNobody"},
       [](Machine& m) { m.system.deniedValues.insert(L"PendingRemovals"); },
       114,
       L"Cannot tell what a clean run does with 1 of the maker's objects: access denied: run "
       L"kvcheck as an administrator to see.\n",
       L"  PendingRemovals  cannot tell  the note cannot be read: access denied: run kvcheck as an "
       L"administrator to see\n"},
      {"all stays",
       {L"-MNOVAX Left"},
       none,
       113,
       L"",
       L"Exit code: 113, the maker's objects stay: a clean run with these options changes none of "
       L"them\n"},
      // The registered program is not there, the service keeps no package: nothing can run.
      {"uninstaller not there",
       {L"-MNOVAX D1"},
       [](Machine& m) {
         m.system.files.insert(L"C:\\ProgramData\\My.exe");
         m.installer.addUninstallEntry(
             code(L'A'),
             {{L"UninstallString", MemoryInstaller::textValue(L"C:\\ProgramData\\My.exe X.exe")}});
       },
       114,
       L"ERROR: failed with error code 0x648 (MsiGetProductInfo)\n",
       L"keep        its name ends in [NOVAX D1]; its registered uninstaller "
       L"C:\\ProgramData\\My.exe "
       L"X.exe is not there and the installer service keeps no package of it, so nothing is run"},
      {"the pooled ports of a queue that stays",
       {L"-MNOVAX D2"},
       [](Machine& m) {
         m.memory.addQueue({L"N pool", L"NOVAX D2", L"DLM2,OLD1:", 0x1});
       },
       114,
       L"",
       L"  OLD1:  keep        queue N pool stays and uses it: the deletion fails"},
      {"what an earlier run left and why",
       {L"-MNOVAX D2"},
       [](Machine& m) {
         m.system.machineValues[L"PendingRemovals"] =
             encodePendingRemovals({{L"NOVAX D2", L"DLM1", false, 3001, L"2026-12-01T08:00:00Z"}});
       },
       114,
       L"",
       L"configured model; failed since 2026-12-01T08:00:00Z with 3001: in use; queue N busy holds "
       L"the driver [port: DLM1, lastError: 3001, failingSince: 2026-12-01T08:00:00Z, heldBy: "
       L"queue N busy]\n"},
      {"a busy queue alone",
       {L"-MNOVAX D2"},
       none,
       114,
       L"",
       L"  N busy  keep        driver NOVAX D2 is a configured model; busy (42)"},
      {"names exactly, as JSON",
       {L"-J", L"-MNOVAX D1"},
       [](Machine& m) {
         m.memory.addQueue({L"N \u00e9\xD800\U0001F5A8", L"NOVAX D1", L"DLM1"});
       },
       114,
       kNoUninstallEntry,
       L"\"name\": \"N \\u00e9\\ud800\\ud83d\\udda8\","},
      {"names shown, never obeyed",
       {L"-MNOVAX D1"},
       [](Machine& m) {
         m.memory.addQueue({L"N \x1b[2J\r\nforged", L"NOVAX D1", L"DLM1"});
       },
       114,
       kNoUninstallEntry,
       L"  N \\x1B[2J\\x0D\\x0Aforged  delete      "},
      {"one line",
       {L"-S"},
       none,
       114,
       kNoUninstallEntry,
       L"kvcheck=2 exit=114 computer=PC01 time=2026-12-06T13:05:00Z version={version}"
       L" account=PC01\\admin localSystem=0 elevated=1 windows=10.0.19045 arch=x64 models= "
       L"restart=0 packages.uninstall=1 packages.keep=1 connections.disconnect=1 "
       L"machineConnections.disconnect=1 queues.delete=2 "
       L"queues.keep=2 ports.delete=1 ports.keep=3 drivers.delete=2 drivers.keep=2 "
       L"driverPackages.keep=3 pendingRemovals.take=2 unreachedDrivers.unreached=2 "
       L"change=packages:Pkg\\x20[NOVAX\\x20D1],connections:\\\\srv\\NOVAX\\x20C1,"
       L"machineConnections:\\\\ps\\NOVAX\\x20M1,"
       L"queues:N\\x20idle,queues:N\\x20busy,queues:N\\x20printing,queues:N\\x20shared,"
       L"ports:DLM1,ports:OLD1:,drivers:NOVAX\\x20D1,drivers:NOVAX\\x20D2,"
       L"drivers:Zulu\\x20Laser\\x209,drivers:NOVAX\\x20Old,pendingRemovals:NOVAX\\x20Old,"
       L"pendingRemovals:NOVAX\\x20Old\n"},
      {"one line, at its limit",
       {L"-S", L"-MNOVAX D1"},
       [](Machine& m) {
         for (int i = 0; i < 2000; ++i) {
           m.memory.addQueue(
               {L"N queue " + std::to_wstring(i) + std::wstring(80, L'x'), L"NOVAX D1", L"DLM1"});
         }
       },
       114,
       kNoUninstallEntry,
       L" queues.delete=2002 ports.keep=2 drivers.delete=1 driverPackages.keep=1 "
       L"pendingRemovals.keep=2 "
       L"change=packages:Pkg\\x20[NOVAX\\x20D1],queues:N\\x20idle,queues:N\\x20shared,"
       L"queues:N\\x20queue\\x200xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...,"},
      // The last queue's name fits, but not with the "..." after it: the cut comes before it,
      // and the driver's short name, of a later kind, stays out although it would fit.
      {"one line, cut where the dots still fit",
       {L"-S", L"-MNOVAX D1"},
       [](Machine& m) {
         m.memory.addQueue({L"N a,b", L"NOVAX D1", L"DLM1"});
         for (int i = 10; i <= 36; ++i) {
           m.memory.addQueue({fillerQueue(i), L"NOVAX D1", L"DLM1"});
         }
       },
       114,
       kNoUninstallEntry,
       [] {
         std::wstring tail = L"queues:N\\x20shared,queues:N\\x20a\\x2Cb";
         for (int i = 10; i < 36; ++i) tail += L",queues:" + fillerQueue(i);
         return tail + L"...\n";
       }()},
      {"nothing of the maker",
       {L"-MNobody"},
       [](Machine& m) {
         m.installer = MemoryInstaller();
         m.system.machineValues.clear();
       },
       0,
       L""},
  };
  for (const Drill& d : drills) {
    SCOPED_TRACE(d.name);
    Machine machine;
    d.fault(machine);
    const auto placed = [&](std::wstring text) {
      if (const auto at = text.find(L"{dir}"); at != std::wstring::npos)
        text.replace(at, 5, machine.dir.wide());
      if (const auto at = text.find(L"{version}"); at != std::wstring::npos)
        text.replace(at, 9, L"" KV_CHECK_VERSION);
      return text;
    };
    std::vector<std::wstring> options;
    for (const std::wstring& option : d.options) options.push_back(placed(option));
    EXPECT_EQ(machine.check(options), d.exitCode);
    EXPECT_EQ(machine.console.err, placed(d.err));
    const bool listed = d.exitCode == 0 || d.exitCode == 113 || d.exitCode == 114;
    const bool ascii = std::ranges::count(d.options, L"-J") + std::ranges::count(d.options, L"-S") +
                               std::ranges::count(d.options, L"-s") !=
                           0 &&
                       d.exitCode != 1;
    EXPECT_EQ(machine.console.out.empty(), !listed && !ascii);
    EXPECT_NE(machine.console.out.find(placed(d.outHas)), std::wstring::npos)
        << machine.console.out;
    if (ascii) {
      const std::wstring& out = machine.console.out;
      EXPECT_TRUE(std::ranges::all_of(out, [](wchar_t c) { return c < 0x80; }));
      // One line, up to its limit: cut only where the next name would not fit.
      const bool cut = out.ends_with(L"...\n");
      EXPECT_TRUE(d.options[0] == L"-J" || (out.find(L'\n') == out.size() - 1 &&
                                            out.size() <= 2049u && (!cut || out.size() > 1900u)));
    }
  }
}

}  // namespace
}  // namespace kv
