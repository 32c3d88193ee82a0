#pragma once

#include <chrono>
#include <cstdint>

#include "spooler/print_spooler.h"

namespace kv::bench {

// Forwards every call to the benchmark's print system and adds up the time spent inside it, so
// that the cleaner's own share of a run is the run's time less this.
class TimedSpooler final : public PrintSpooler {
 public:
  explicit TimedSpooler(PrintSpooler& target) : target_(target) {}

  std::chrono::nanoseconds timeInside() const { return inside_; }
  std::uint64_t callCount() const { return calls_; }

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
  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override;
  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override;
  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override;
  std::uint32_t lastError() override { return target_.lastError(); }

 private:
  // Runs one forwarded call and books its time.
  template <typename Call>
  bool timed(Call call);

  PrintSpooler& target_;
  std::chrono::nanoseconds inside_{0};
  std::uint64_t calls_ = 0;
};

}  // namespace kv::bench
