#include "bench_machine.h"

#include "cleaner/fake_uninstaller.h"

namespace kv::bench {
namespace {

constexpr std::size_t kDriverCount = 10;

std::string describe(const char* what, std::size_t expected, std::size_t found) {
  return std::string(what) + ": expected " + std::to_string(expected) + ", found " +
         std::to_string(found) + "\n";
}

}  // namespace

BenchMachine::BenchMachine(std::size_t makerQueueCount)
    : spooler(makerQueueCount), makerQueues(makerQueueCount) {
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
  const GeneratedPrintSystem::Left makers = spooler.makersLeft();
  const GeneratedPrintSystem::Left others = spooler.othersLeft();
  if (makers.queues != kept) problems += describe("maker queues left", kept, makers.queues);
  if (makers.ports != kept) problems += describe("maker ports left", kept, makers.ports);
  const std::size_t makerDrivers = clean ? 0 : kDriverCount;
  if (makers.drivers != makerDrivers) {
    problems += describe("maker drivers left", makerDrivers, makers.drivers);
  }
  if (others.queues != makerQueues) {
    problems += describe("other queues left", makerQueues, others.queues);
  }
  if (others.ports != makerQueues)
    problems += describe("other ports left", makerQueues, others.ports);
  if (others.drivers != kDriverCount) {
    problems += describe("other drivers left", kDriverCount, others.drivers);
  }
  // Both uninstall passes run in a test run too: the two packages for a driver go either way.
  if (installer.products().size() != 2) {
    problems += describe("products left", 2, installer.products().size());
  }
  return problems;
}

}  // namespace kv::bench
