#pragma once

#include <cstdint>

#include "fuzz_input.h"
#include "spooler/print_spooler.h"

namespace kv::fuzz {

// A print spooler whose enumeration answers come from the fuzz input, in the Win32 shape the
// wrappers expect. What it answers is what a spooler may legitimately answer:
// - the sizing call (no buffer) succeeds or fails as the input says, sets any needed size from
//   0 to 65535 (a size beyond memory is the allocation failure the unit tests drive) and any
//   record count;
// - the fetch fails with any code, or succeeds with any record count, however many records the
//   buffer holds;
// - it writes only inside the buffer it was given: any bytes, with every pointer field of each
//   record it counts (as far as the buffer holds them) null or pointing into that buffer at an
//   offset aligned for wchar_t; a text need not end inside the buffer.
// Pointers outside the buffer are not legitimate (winspool never gives them) and not fed; the
// wrappers read a text no further than the buffer's end and treat a pointer outside it as no
// text. Every other operation fails with 50 (ERROR_NOT_SUPPORTED).
class FuzzedPrintSpooler : public PrintSpooler {
 public:
  explicit FuzzedPrintSpooler(FuzzInput& input) : input_(input) {}

  // What the last fetch answered, for the targets' checks.
  struct Fetch {
    bool made = false;
    bool succeeded = false;
    std::uint32_t bufferSize = 0;
    std::uint32_t returned = 0;
    std::uint32_t error = 0;
  };
  const Fetch& lastFetch() const { return fetch_; }
  void forgetFetch() { fetch_ = Fetch{}; }

  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override;
  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override;
  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override;
  bool openPrinterW(const wchar_t*, SpoolerHandle*, std::uint32_t) override {
    return unsupported();
  }
  bool getPrinterW(SpoolerHandle, std::uint32_t, std::uint8_t*, std::uint32_t,
                   std::uint32_t*) override {
    return unsupported();
  }
  bool closePrinter(SpoolerHandle) override { return unsupported(); }
  bool deletePrinter(SpoolerHandle) override { return unsupported(); }
  bool deletePrinterConnectionW(const wchar_t*) override { return unsupported(); }
  bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                  std::uint32_t bufferSize, std::uint32_t* needed,
                                  std::uint32_t* returned) override;
  bool deletePerMachineConnectionW(const wchar_t*, const wchar_t*) override {
    return unsupported();
  }
  bool deletePrinterDriverExW(const wchar_t*, const wchar_t*, const wchar_t*, std::uint32_t,
                              std::uint32_t) override {
    return unsupported();
  }
  bool deletePortW(const wchar_t*, void*, const wchar_t*) override { return unsupported(); }
  bool xcvDataW(SpoolerHandle, const wchar_t*, const std::uint8_t*, std::uint32_t, std::uint8_t*,
                std::uint32_t, std::uint32_t*, std::uint32_t*) override {
    return unsupported();
  }
  std::uint32_t lastError() override { return lastError_; }

 private:
  template <typename Record, std::size_t PointerCount>
  bool answer(const std::size_t (&pointerOffsets)[PointerCount], std::uint8_t* buffer,
              std::uint32_t bufferSize, std::uint32_t* needed, std::uint32_t* returned);
  bool unsupported() {
    lastError_ = 50;
    return false;
  }

  FuzzInput& input_;
  std::uint32_t lastError_ = 0;
  Fetch fetch_;
};

}  // namespace kv::fuzz
