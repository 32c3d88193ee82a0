// kvcheck on an in-memory machine: what it reports is what kvcleaner -C then does, it changes
// nothing on the way, and each failure ends it with its code.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "check/check_main.h"
#include "cleaner/cleaner_main.h"
#include "cleaner/fake_uninstaller.h"
#include "config/pending_removals_note.h"
#include "log/logger.h"
#include "products/console_capture.h"
#include "rules/logon_registration.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/temp_dir.h"
#include "system/machine_registry.h"
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
    for (const wchar_t* driver :
         {L"NOVAX D1", L"NOVAX D2", L"Zulu Laser 9", L"NOVAX Old", L"NOVAX Left"}) {
      memory.addDriver(driver);
    }
    memory.addDriver(L"Other Laser");
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
    system.machineValues[L"PendingRemovals"] = encodePendingRemovals({{L"NOVAX Old", L"OLD1:"}});
  }

  int check(std::vector<std::wstring> options) {
    options.insert(options.begin(), L"kvcheck.exe");
    return checkMain(options);
  }

  // Whether an object the check named under `kind` is still on the machine (a package by its code:
  // another maker's may bear the same name).
  bool present(const std::string& kind, const nlohmann::json& object) {
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
    return named(memory.drivers(), [](const auto& d) { return *d.name; });
  }
};

TEST(Check, SaysWhatACleanRunThenDoesAndChangesNothing) {
  Machine machine;
  const auto noteBefore = machine.system.machineValues;
  ASSERT_EQ(machine.check({}), 114);
  EXPECT_EQ(machine.console.out,
            LR"(What kvcleaner -C would do on this PC (nothing has been changed)
Models: none, the maker's brand texts choose

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
  DLM1   delete      the monitor's "DeletePort" with protocol 2 [monitor: DeviceLinkMonitor, route: XcvData DeletePort, protocol: 2]
  LPT1:  delete      the spooler's own port removal [monitor: Local Monitor, route: DeletePortW]
  DLM2   keep        a queue that is not cleaned uses it
  OLD1:  delete      the spooler's own port removal [monitor: Local Monitor, route: DeletePortW]

Drivers
  NOVAX D1      delete      driver NOVAX D1 holds the brand text NOVAX
  NOVAX D2      keep        driver NOVAX D2 holds the brand text NOVAX; queue N busy stays and uses it: the deletion fails
  Zulu Laser 9  keep        driver Zulu Laser 9 holds the brand text ZUL; queue N printing stays and uses it: the deletion fails
  NOVAX Old     delete      driver NOVAX Old holds the brand text NOVAX

Pending removals of an earlier run
  NOVAX Old  take        driver NOVAX Old holds the brand text NOVAX [port: OLD1:]

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

  const nlohmann::json report = nlohmann::json::parse(wideToUtf8(machine.console.out));
  EXPECT_EQ(report["schema"], 1);
  EXPECT_EQ(cleanerMain({L"kvcleaner.exe", L"-C", L"-D", machine.dir.wide()}), 1);
  operationLog().close();
  int objects = 0;
  for (const auto& [kind, listed] : report.items()) {
    if (!listed.is_array() || kind == "models") continue;
    for (const nlohmann::json& object : listed) {
      const std::string decision = object["decision"];
      const bool goes = decision != "keep" && decision != "unreached";
      EXPECT_EQ(machine.present(kind, object), !goes) << object.dump();
      ++objects;
    }
  }
  EXPECT_EQ(objects, 19);
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
       {L"-C", L"x", L"-Fa.ini"},
       none,
       1,
       L"Illegal option (C)\nIllegal character (x)\n"},
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
    EXPECT_EQ(machine.check(d.options), d.exitCode);
    EXPECT_EQ(machine.console.err, d.err);
    EXPECT_EQ(machine.console.out.empty(), d.exitCode != 0 && d.exitCode != 114);
    EXPECT_NE(machine.console.out.find(d.outHas), std::wstring::npos) << machine.console.out;
  }
}

}  // namespace
}  // namespace kv
