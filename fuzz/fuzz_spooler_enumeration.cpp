// The four inventory wrappers and the per-machine connections' listing on a spooler whose
// enumeration answers come from the input (see fuzzed_print_spooler.h for what it may answer). Each
// wrapper runs once, in order, on the rest of the input. Checked: a wrapper that succeeds appends
// one entry per record the buffer holds (the count cut to the buffer) and no text longer than the
// buffer; one that fails appends nothing and records the fetch's code.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzzed_print_spooler.h"
#include "spooler/error_reporting.h"
#include "spooler/inventory.h"
#include "spooler/machine_connections.h"

namespace kv::fuzz {
namespace {

void require(bool holds) {
  if (!holds) std::abort();
}

// Entries appended after `before`, as the last fetch answered.
template <typename Record, typename Entries, typename TextLengths>
void checkAnswer(const FuzzedPrintSpooler& spooler, bool result, const Entries& entries,
                 std::size_t before, TextLengths textLengths) {
  // Every needed size fits in memory here, so each wrapper gets as far as the fetch.
  const auto& fetch = spooler.lastFetch();
  require(fetch.made && fetch.succeeded == result);
  if (!result) {
    require(entries.size() == before);
    require(dwMciGetLastError() == static_cast<std::int32_t>(fetch.error));
    return;
  }
  const std::size_t fitting = fetch.bufferSize / sizeof(Record);
  const std::size_t expected = fetch.returned < fitting ? fetch.returned : fitting;
  require(entries.size() == before + expected);
  require(dwMciGetLastError() == 0);
  const std::size_t longest = fetch.bufferSize / sizeof(wchar_t);
  for (std::size_t i = before; i < entries.size(); ++i) require(textLengths(entries[i]) <= longest);
}

std::size_t nameLength(const std::wstring& name) { return name.size(); }

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kv;
  using namespace kv::fuzz;
  FuzzInput input(data, size);
  FuzzedPrintSpooler spooler(input);
  ScopedPrintSpooler installed(spooler);

  NameList names{L"before"};
  NameList drivers{L"before"};
  bool result = bMciEntryConnectionList(names, drivers);
  checkAnswer<PrinterInfo2>(spooler, result, names, 1, nameLength);
  checkAnswer<PrinterInfo2>(spooler, result, drivers, 1, nameLength);

  spooler.forgetFetch();
  NameList queues{L"before"};
  NameList queueDrivers{L"before"};
  NameList ports{L"before"};
  result = bMciEntryQueue_Driver_PortList(&queues, &queueDrivers, &ports);
  for (const NameList* list : {&queues, &queueDrivers, &ports}) {
    checkAnswer<PrinterInfo2>(spooler, result, *list, 1, nameLength);
  }

  spooler.forgetFetch();
  NameList installedDrivers;
  result = bMciEntryDriverList(installedDrivers);
  checkAnswer<DriverInfo1>(spooler, result, installedDrivers, 0, nameLength);

  spooler.forgetFetch();
  NameList machineConnections{L"before"};
  result = listMachineConnections(machineConnections);
  checkAnswer<PrinterInfo4>(spooler, result, machineConnections, 1, nameLength);

  spooler.forgetFetch();
  PortInfoList portInfo;
  result = bMciEntryPortInfoList(portInfo);
  checkAnswer<PortInfo2>(spooler, result, portInfo, 0, [](const portinfo_s& port) {
    return std::max({port.portName.size(), port.monitorName.size(), port.description.size()});
  });
  return 0;
}
