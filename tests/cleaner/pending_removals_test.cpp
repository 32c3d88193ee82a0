// A note of an earlier run's ports and drivers, taken over by the whole removal on a machine
// with one maker queue N1 (driver NOVAX D1, port DLM1), the ports OLD1 and OLD3, the drivers
// NOVAX D2 and NOVAX D3 of queues that are gone, and another maker's queue on OLD3.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "cleaner/cleaning_phases.h"
#include "config/pending_removals_note.h"
#include "phase_test.h"

namespace kv {
namespace {

using PendingRemovalsTest = test::PhaseTest;

TEST_F(PendingRemovalsTest, AnEarlierRunsNoteIsFinishedOrKept) {
  const std::string earlier = encodePendingRemovals(
      {{L"NOVAX D2", L"OLD1"}, {L"NOVAX D2", L"GONE"}, {L"NOVAX D3", L"OLD3"}});
  const std::string n1 = "NOVAX D1\tDLM1\tboth\t0\t\r\n";
  const std::wstring now = L"2026-12-06T13:05:00Z";
  struct Case {
    const char* name;
    std::optional<std::string> before;  // the note before the run; nullopt: none
    bool clean;
    std::vector<std::wstring> models;
    std::optional<std::string> during;  // the note when N1 is deleted
    std::optional<std::string> after;
    std::vector<std::string> lines;                   // in this order
    std::optional<std::string> aside = std::nullopt;  // an unreadable note kept under another name
    std::function<void(MemoryPrintSystem&, test::FakeSystemServices&)> arrange = {};
    std::wstring asideName = L" unreadable 20261206 140500";
    std::string absent = "\x01";  // a text the log must not hold
  };
  const auto failing = [](SpoolerOperation operation, std::uint32_t error) {
    return [=](MemoryPrintSystem& m, test::FakeSystemServices&) { m.failAlways(operation, error); };
  };
  const std::string unreadable = "kvcleaner pending removals 1\r\nno tab\r\n";
  const std::string notePath = "HKLM\\SOFTWARE\\NOVAX\\kvcleaner\\PendingRemovals";
  const Case cases[] = {
      {"taken over",
       earlier,
       true,
       {},
       earlier + n1,
       std::nullopt,
       {"Info: Ports and drivers left by an earlier run: 3",
        "Info: Successfully deleted local queue N1.", "Info: Successfully removed port: DLM1",
        "Info: Deleting port OLD1...\nInfo: Port monitor name: Local Monitor\n"
        "Info: Successfully removed port: OLD1",
        "Debug: Port no longer present: GONE",
        "Warn: Port still used by a queue that is not cleaned: OLD3",
        "Info: Successfully deleted driver NOVAX D1", "Info: Successfully deleted driver NOVAX D2",
        "Info: Deleting driver NOVAX D2...\nDebug: finishedSet.count = 1",
        "Info: Successfully deleted driver NOVAX D3",
        "Debug: Delete pending removals : " + notePath}},
      {"the same entry twice is taken once",
       encodePendingRemovals({{L"NOVAX D2", L"OLD1"}, {L"NOVAX D2", L"OLD1"}}),
       true,
       {},
       encodePendingRemovals({{L"NOVAX D2", L"OLD1"}}) + n1,
       std::nullopt,
       {"Info: Ports and drivers left by an earlier run: 1"}},
      {"test run",
       earlier,
       false,
       {},
       earlier,
       earlier,
       {"Info: Ports and drivers left by an earlier run: 3",
        "Info: SIMULATION:Successfully deleted port: DLM1",
        "Info: SIMULATION:Successfully deleted port: OLD1", "Debug: Port no longer present: GONE",
        "Warn: Port still used by a queue that is not cleaned: OLD3",
        "Info: SIMULATION:Successfully deleted driver NOVAX D3"}},
      {"models not cleaned now are kept",
       encodePendingRemovals({{L"NOVAX D2", L"OLD1"}, {L"NOVAX D1", L"OLD1"}}),
       true,
       {L"NOVAX D1"},
       encodePendingRemovals({{L"NOVAX D2", L"OLD1"}, {L"NOVAX D1", L"OLD1"}}) + n1,
       encodePendingRemovals({{L"NOVAX D2", L"OLD1"}}),
       {"Info: Ports and drivers left by an earlier run: 1",
        "Info: Successfully removed port: OLD1", "Debug: Driver previously deleted NOVAX D1"}},
      {"none before",
       std::nullopt,
       true,
       {},
       encodePendingRemovals({}) + n1,
       std::nullopt,
       {"Info: Successfully removed port: DLM1", "Debug: Delete pending removals : " + notePath}},
      {"unreadable: kept aside, this run's note as usual",
       unreadable,
       true,
       {},
       encodePendingRemovals({}) + n1,
       std::nullopt,
       {"Warn: Failed to read pending removals " + notePath + ", kept as " + notePath +
            " unreadable 20261206 140500",
        "Info: Successfully removed port: DLM1", "Debug: Delete pending removals : " + notePath},
       unreadable},
      {"no maker queue: no note",
       std::nullopt,
       true,
       {L"NOVAX D9"},
       std::nullopt,
       std::nullopt,
       {}},
      // Every deletion of a driver fails: each entry stays for the next run, which counts it again.
      {"drivers that fail stay",
       earlier,
       true,
       {},
       earlier + n1,
       encodePendingRemovals({{L"NOVAX D1", L"DLM1", false, 87, now},
                              {L"NOVAX D2", L"OLD1", false, 87, now},
                              {L"NOVAX D2", L"GONE", false, 87, now},
                              {L"NOVAX D3", L"OLD3", false, 87, now}}),
       {"Error: Error: Failed to delete driver NOVAX D3.(87)"},
       std::nullopt,
       failing(SpoolerOperation::DeletePrinterDriverEx, 87)},
      {"ports that fail stay",
       earlier,
       true,
       {},
       earlier + n1,
       encodePendingRemovals(
           {{L"NOVAX D1", L"DLM1", true, 5, now}, {L"NOVAX D2", L"OLD1", true, 5, now}}),
       {"Error: Failed to removed port OLD1.(5)", "Info: Successfully deleted driver NOVAX D3"},
       std::nullopt,
       failing(SpoolerOperation::DeletePort, 5)},
      {"only the port is left",
       encodePendingRemovals({{L"NOVAX D2", L"OLD1", true, 5, L"2026-12-01T08:00:00Z"}}),
       true,
       {},
       encodePendingRemovals({{L"NOVAX D2", L"OLD1", true, 5, L"2026-12-01T08:00:00Z"}}) + n1,
       encodePendingRemovals({{L"NOVAX D1", L"DLM1", true, 170, now},
                              {L"NOVAX D2", L"OLD1", true, 170, L"2026-12-01T08:00:00Z"}}),
       {"Info: Ports and drivers left by an earlier run: 1",
        "Error: Failed to removed port OLD1.(170)", "Info: Successfully deleted driver NOVAX D1"},
       std::nullopt,
       failing(SpoolerOperation::DeletePort, 170),
       L" unreadable 20261206 140500",
       "Deleting driver NOVAX D2"},
      // The queue stays busy: its entry comes with it, and is tried once.
      {"the entry of a queue that stays",
       encodePendingRemovals({{L"NOVAX D1", L"DLM1"}}),
       true,
       {},
       encodePendingRemovals({{L"NOVAX D1", L"DLM1"}}),
       encodePendingRemovals({{L"NOVAX D1", L"DLM1", false, 3001, now}}),
       {"Error: Failed to removed port DLM1.(170)\nInfo: KVTool cleaner Deleting driver started"},
       std::nullopt,
       [](MemoryPrintSystem& m, test::FakeSystemServices&) { m.queues()[0].status = 1; }},
      {"a note that cannot be read stays as it is",
       unreadable,
       true,
       {},
       unreadable,
       unreadable,
       {"Warn: Failed to read pending removals " + notePath + "\n"},
       std::nullopt,
       [](MemoryPrintSystem&, test::FakeSystemServices& s) {
         s.unreadableValues.insert(kPendingRemovalsValueName);
       }},
      {"set aside again within the second",
       unreadable,
       true,
       {},
       encodePendingRemovals({}) + n1,
       std::nullopt,
       {"Warn: Failed to read pending removals " + notePath + ", kept as " + notePath +
        " unreadable 20261206 140500 (2)\n"},
       unreadable,
       [](MemoryPrintSystem&, test::FakeSystemServices& s) {
         s.machineValues[L"PendingRemovals unreadable 20261206 140500"] = "first";
       },
       L" unreadable 20261206 140500 (2)"},
      {"no free name to set it aside under: it stays",
       unreadable,
       true,
       {},
       unreadable,
       unreadable,
       {"Error: No free name to set pending removals aside as " + notePath +
            " unreadable 20261206 140500 (100 taken)\n",
        "Warn: Failed to read pending removals " + notePath + "\n"},
       std::nullopt,
       [](MemoryPrintSystem&, test::FakeSystemServices& s) {
         s.machineValues[L"PendingRemovals unreadable 20261206 140500"] = "first";
         for (int copy = 2; copy <= 100; ++copy) {
           s.machineValues[L"PendingRemovals unreadable 20261206 140500 (" + std::to_wstring(copy) +
                           L")"] = "later";
         }
       },
       L" unreadable 20261206 140500 (101)"},
      {"unreadable in a test run: left alone",
       unreadable,
       false,
       {},
       unreadable,
       unreadable,
       {"Warn: Failed to read pending removals " + notePath + "\n"}},
  };
  const std::wstring note = kPendingRemovalsValueName;
  const auto value = [&](const std::wstring& name) {
    const auto found = system.machineValues.find(name);
    return found == system.machineValues.end() ? std::nullopt : std::optional(found->second);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    memory = MemoryPrintSystem();
    addLocalPort(L"DLM1");
    addLocalPort(L"OLD1");
    addLocalPort(L"OLD3");
    for (const wchar_t* driver : {L"NOVAX D1", L"NOVAX D2", L"NOVAX D3", L"Other Laser"}) {
      memory.addDriver(driver);
    }
    addQueue(L"N1", L"NOVAX D1", L"DLM1");
    addQueue(L"Other A", L"Other Laser", L"OLD3");
    std::optional<std::string> during;
    memory.afterNextCall(SpoolerOperation::EnumPorts, [&] { during = value(note); });
    system.machineValues.clear();
    system.unreadableValues.clear();
    if (c.before) system.machineValues[note] = *c.before;
    if (c.arrange) c.arrange(memory, system);
    run = CleanerRun();
    run.options.clean = c.clean;
    fillModelSet(c.models, run.modelSet);
    detailLog().open(dir.child(L"detail.log"));
    removeLocalQueuesNoted();
    removePorts(run);
    removeDrivers(run);
    settlePendingRemovals(run);

    EXPECT_EQ(during, c.during);
    EXPECT_EQ(value(note), c.after);
    EXPECT_EQ(value(note + c.asideName), c.aside);
    const std::string text = log();
    EXPECT_EQ(text.find(c.absent), std::string::npos) << c.absent;
    std::size_t at = 0;
    for (const std::string& line : c.lines) {
      at = text.find(line, at);
      ASSERT_NE(at, std::string::npos) << line << "\n" << text;
      at += line.size();  // a line expected twice must be there twice
    }
    bool otherQueue = false;
    for (const auto& queue : memory.queues()) otherQueue = otherQueue || queue.name == L"Other A";
    EXPECT_TRUE(otherQueue);
  }
}

}  // namespace
}  // namespace kv
