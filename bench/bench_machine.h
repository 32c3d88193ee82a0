#pragma once

#include <cstddef>
#include <string>

#include "generated_print_system.h"
#include "standins/installer_memory.h"

namespace kv::bench {

// The benchmark's machine: `makerQueues` idle queues of the maker, each on a port of its own
// (every other one on the maker's monitor "DeviceLinkMonitor", the rest local), over ten shared
// drivers, and as many queues of another maker on local ports of their own, listed first as a
// spooler lists them by name (generated_print_system.h). The in-memory installer holds four
// products, two of them the maker's packages for an installed driver.
struct BenchMachine {
  GeneratedPrintSystem spooler;
  MemoryInstaller installer;
  std::size_t makerQueues;

  explicit BenchMachine(std::size_t makerQueueCount);

  // What the run left that it should not have: empty when a clean run (`clean`) removed every
  // print object and package of the maker and nothing else, or a test run removed only the
  // maker's packages.
  std::string checkAfterRun(bool clean) const;
};

}  // namespace kv::bench
