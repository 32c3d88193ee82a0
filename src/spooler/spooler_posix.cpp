// The print spooler on a system without one: a print system that holds no objects, so that the
// program runs and finds nothing to clean. It answers as an empty winspool would, with the
// in-memory stand-in's codes (tests/standins/spooler_memory.h), which a native test compares.
#include <string_view>

#include "spooler/print_spooler.h"
#include "system/handle_numbers.h"

namespace kv {
namespace {

constexpr std::uint32_t kErrorInvalidUserBuffer = 1784;  // ERROR_INVALID_USER_BUFFER

class EmptyPrintSystem final : public PrintSpooler {
 public:
  bool enumPrintersW(std::uint32_t, const wchar_t*, std::uint32_t level, std::uint8_t* buffer,
                     std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override {
    return listNothing(level, 2, buffer, bufferSize, needed, returned);
  }

  bool enumPrinterDriversW(const wchar_t*, const wchar_t*, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override {
    return listNothing(level, level == 8 ? 8 : 1, buffer, bufferSize, needed, returned);
  }

  bool enumPortsW(const wchar_t*, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override {
    return listNothing(level, 2, buffer, bufferSize, needed, returned);
  }

  // Only the local print server itself (no name) can be opened.
  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle, std::uint32_t) override {
    if (handle == nullptr) return fail(kErrorInvalidParameter);
    *handle = nullptr;
    const std::wstring_view wanted = name != nullptr ? name : L"";
    if (wanted.starts_with(L",XcvMonitor ")) return fail(kErrorUnknownPort);
    if (wanted.starts_with(L"\\\\")) return fail(kErrorServerUnavailable);  // no server answers
    if (!wanted.empty()) return fail(kErrorInvalidPrinterName);
    *handle = reinterpret_cast<SpoolerHandle>(servers_.open());
    return true;
  }

  // A server handle is neither a queue's nor a monitor's.
  bool getPrinterW(SpoolerHandle, std::uint32_t, std::uint8_t*, std::uint32_t,
                   std::uint32_t*) override {
    return fail(kErrorInvalidHandle);
  }

  bool closePrinter(SpoolerHandle handle) override {
    return servers_.close(reinterpret_cast<std::uintptr_t>(handle)) || fail(kErrorInvalidHandle);
  }

  bool deletePrinter(SpoolerHandle) override { return fail(kErrorInvalidHandle); }

  bool deletePrinterConnectionW(const wchar_t* name) override {
    return fail(name == nullptr ? kErrorInvalidParameter : kErrorFileNotFound);
  }

  bool enumPerMachineConnectionsW(const wchar_t*, std::uint8_t* buffer, std::uint32_t bufferSize,
                                  std::uint32_t* needed, std::uint32_t* returned) override {
    return listNothing(4, 4, buffer, bufferSize, needed, returned);
  }

  bool deletePerMachineConnectionW(const wchar_t*, const wchar_t* printerName) override {
    return fail(printerName == nullptr ? kErrorInvalidParameter : kErrorInvalidPrinterName);
  }

  bool deletePrinterDriverExW(const wchar_t*, const wchar_t*, const wchar_t* driverName,
                              std::uint32_t, std::uint32_t) override {
    return fail(driverName == nullptr ? kErrorInvalidParameter : kErrorUnknownPrinterDriver);
  }

  bool deletePortW(const wchar_t*, void*, const wchar_t* portName) override {
    return fail(portName == nullptr ? kErrorInvalidParameter : kErrorUnknownPort);
  }

  bool xcvDataW(SpoolerHandle, const wchar_t*, const std::uint8_t*, std::uint32_t, std::uint8_t*,
                std::uint32_t, std::uint32_t*, std::uint32_t*) override {
    return fail(kErrorInvalidHandle);
  }

  std::uint32_t lastError() override { return lastError_; }

 private:
  // An enumeration's checks, then an empty answer, which fits any buffer, even none.
  bool listNothing(std::uint32_t level, std::uint32_t servedLevel, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed, std::uint32_t* returned) {
    if (needed == nullptr || returned == nullptr) return fail(kErrorInvalidParameter);
    if (level != servedLevel) return fail(kErrorInvalidLevel);
    if (buffer == nullptr && bufferSize != 0) return fail(kErrorInvalidUserBuffer);
    *needed = 0;
    *returned = 0;
    return true;
  }

  bool fail(std::uint32_t error) {
    lastError_ = error;
    return false;
  }

  HandleNumbers servers_;
  std::uint32_t lastError_ = 0;
};

}  // namespace

PrintSpooler& platformPrintSpooler() {
  static EmptyPrintSystem spooler;
  return spooler;
}

}  // namespace kv
