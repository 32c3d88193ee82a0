#include "bench_machine.h"

#include <cstdio>

#include "main/fake_uninstaller.h"

namespace kv::bench {
namespace {

constexpr std::size_t kDriverCount = 10;

std::wstring numbered(const wchar_t* format, std::size_t number) {
  wchar_t text[32];
  std::swprintf(text, sizeof text / sizeof text[0], format, number);
  return text;
}

std::wstring makerDriver(std::size_t i) { return numbered(L"NOVAX Model %zu", i % kDriverCount); }
std::wstring otherDriver(std::size_t i) { return numbered(L"Acme Laser %zu", i % kDriverCount); }

std::string describe(const char* what, std::size_t expected, std::size_t found) {
  return std::string(what) + ": expected " + std::to_string(expected) + ", found " +
         std::to_string(found) + "\n";
}

}  // namespace

BenchMachine::BenchMachine(std::size_t makerQueueCount)
    : monitor(spooler.addMonitor(L"DeviceLinkMonitor")), makerQueues(makerQueueCount) {
  for (std::size_t i = 0; i < kDriverCount; ++i) {
    spooler.addDriver(otherDriver(i));
    spooler.addDriver(makerDriver(i));
  }
  for (std::size_t i = 0; i < makerQueues; ++i) {
    const std::wstring port = numbered(L"ACME_%06zu:", i);
    spooler.addPort({port, L"Local Monitor", L"Local Port", 1});
    spooler.addQueue({numbered(L"Acme Q%06zu", i), otherDriver(i), port});
  }
  for (std::size_t i = 0; i < makerQueues; ++i) {
    const bool onMonitor = i % 2 == 0;
    const std::wstring port = numbered(onMonitor ? L"DLM_%06zu" : L"LPT_%06zu:", i);
    spooler.addPort({port, onMonitor ? L"DeviceLinkMonitor" : L"Local Monitor",
                     onMonitor ? L"DeviceLink Port" : L"Local Port", 1});
    spooler.addQueue({numbered(L"NOVAX Q%06zu", i), makerDriver(i), port});
  }
  const auto product = [](wchar_t letter, const wchar_t* publisher, const wchar_t* name) {
    return MemoryInstaller::Product{test::code(letter),
                                    {{L"Publisher", publisher}, {L"ProductName", name}}};
  };
  installer.addProduct(product(L'A', L"NOVAX", L"NOVAX Utility [NOVAX Model 0]"));
  installer.addProduct(product(L'B', L"Acme", L"Acme Suite [Acme Laser 0]"));
  installer.addProduct(product(L'C', L"NOVAX", L"NOVAX Scan [NOVAX Model 7]"));
  installer.addProduct(product(L'D', L"NOVAX", L"NOVAX Manuals"));
}

std::string BenchMachine::checkAfterRun(bool clean) const {
  std::string problems;
  const std::size_t kept = clean ? 0 : makerQueues;
  std::size_t makerQueuesLeft = 0;
  for (const auto& queue : spooler.queues()) makerQueuesLeft += queue.name.starts_with(L"NOVAX");
  if (makerQueuesLeft != kept) problems += describe("maker queues left", kept, makerQueuesLeft);
  if (spooler.queues().size() - makerQueuesLeft != makerQueues) {
    problems +=
        describe("other queues left", makerQueues, spooler.queues().size() - makerQueuesLeft);
  }
  std::size_t otherPorts = 0;
  for (const auto& port : spooler.ports()) otherPorts += port.name->starts_with(L"ACME_");
  if (otherPorts != makerQueues) problems += describe("other ports left", makerQueues, otherPorts);
  if (spooler.ports().size() - otherPorts != kept) {
    problems += describe("maker ports left", kept, spooler.ports().size() - otherPorts);
  }
  const std::size_t driversLeft = clean ? kDriverCount : 2 * kDriverCount;
  if (spooler.drivers().size() != driversLeft) {
    problems += describe("drivers left", driversLeft, spooler.drivers().size());
  }
  // Both uninstall passes run in a test run too: the two packages for a driver go either way.
  if (installer.products().size() != 2) {
    problems += describe("products left", 2, installer.products().size());
  }
  return problems;
}

}  // namespace kv::bench
