#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "spooler/print_spooler.h"

namespace kv::bench {

// The benchmark's print system: `makerQueues` queues of another maker and as many of the maker,
// each on a port of its own, over ten drivers of each maker. Every object is worked out from its
// number when a call asks for it, and only deletions are stored, so that the print system costs
// next to no memory and the peak of a run is the cleaner's. It answers the calls of a cleaning
// run the way MemoryPrintSystem does (spooler_memory.h): the same records, sizing, names compared
// without regard to ASCII case, and the same error codes. There are no connections, no queue has
// jobs, and the maker's monitor "DeviceLinkMonitor" answers "DeletePort" with 0 and removes the
// port.
//
// Order, as the enumerations list them: queues and ports of the other maker ("Acme Q000000" on
// "ACME_000000:"), then the maker's ("NOVAX Q000000" on "DLM_000000", of the monitor, for an
// even number, on the local port "LPT_000001:" for an odd one); drivers "Acme Laser <d>" and
// "NOVAX Model <d>" in turns, a queue of number n on driver n % 10.
class GeneratedPrintSystem final : public PrintSpooler {
 public:
  explicit GeneratedPrintSystem(std::size_t makerQueues);

  // What is left, by maker.
  struct Left {
    std::size_t queues = 0;
    std::size_t ports = 0;
    std::size_t drivers = 0;
  };
  Left makersLeft() const;
  Left othersLeft() const;

  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override;
  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override;
  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override;
  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                    std::uint32_t desiredAccess) override;
  bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed) override;
  bool closePrinter(SpoolerHandle handle) override;
  bool deletePrinter(SpoolerHandle handle) override;
  bool deletePrinterConnectionW(const wchar_t* name) override;
  bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                  std::uint32_t bufferSize, std::uint32_t* needed,
                                  std::uint32_t* returned) override;
  bool deletePerMachineConnectionW(const wchar_t* server, const wchar_t* printerName) override;
  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override;
  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override;
  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override;
  std::uint32_t lastError() override { return lastError_; }

 private:
  enum class HandleKind { Server, Queue, Monitor };
  struct OpenHandle {
    HandleKind kind;
    std::size_t queue;  // for a queue handle
    std::uint32_t access;
  };

  bool isMakers(std::size_t number) const { return number >= makerQueues_; }
  std::size_t driverOfQueue(std::size_t queue) const;
  std::optional<std::size_t> findQueue(std::wstring_view name) const;
  std::optional<std::size_t> findPort(std::wstring_view name) const;
  std::optional<std::size_t> findDriver(std::wstring_view name) const;
  bool removePort(std::wstring_view name);
  const OpenHandle* findHandle(SpoolerHandle handle) const;
  bool fail(std::uint32_t error);

  std::size_t makerQueues_;
  // Queues and ports share their numbers: 0 to makerQueues_ - 1 the other maker's, then the
  // maker's.
  std::vector<bool> queueDeleted_;
  std::vector<bool> portDeleted_;
  std::vector<bool> driverDeleted_;
  std::vector<std::size_t> queuesOfDriver_;  // queues left on each driver
  std::map<std::uintptr_t, OpenHandle> handles_;
  std::uintptr_t nextHandle_ = 1;
  std::uint32_t lastError_ = 0;
};

}  // namespace kv::bench
