#include "timed_spooler.h"

namespace kv::bench {

template <typename Call>
bool TimedSpooler::timed(Call call) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = call();
  inside_ += std::chrono::steady_clock::now() - start;
  ++calls_;
  return ok;
}

bool TimedSpooler::enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                                 std::uint8_t* buffer, std::uint32_t bufferSize,
                                 std::uint32_t* needed, std::uint32_t* returned) {
  return timed([&] {
    return target_.enumPrintersW(flags, name, level, buffer, bufferSize, needed, returned);
  });
}

bool TimedSpooler::enumPrinterDriversW(const wchar_t* server, const wchar_t* environment,
                                       std::uint32_t level, std::uint8_t* buffer,
                                       std::uint32_t bufferSize, std::uint32_t* needed,
                                       std::uint32_t* returned) {
  return timed([&] {
    return target_.enumPrinterDriversW(server, environment, level, buffer, bufferSize, needed,
                                       returned);
  });
}

bool TimedSpooler::enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                              std::uint32_t bufferSize, std::uint32_t* needed,
                              std::uint32_t* returned) {
  return timed(
      [&] { return target_.enumPortsW(server, level, buffer, bufferSize, needed, returned); });
}

bool TimedSpooler::openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                                std::uint32_t desiredAccess) {
  return timed([&] { return target_.openPrinterW(name, handle, desiredAccess); });
}

bool TimedSpooler::getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                               std::uint32_t bufferSize, std::uint32_t* needed) {
  return timed([&] { return target_.getPrinterW(handle, level, buffer, bufferSize, needed); });
}

bool TimedSpooler::closePrinter(SpoolerHandle handle) {
  return timed([&] { return target_.closePrinter(handle); });
}

bool TimedSpooler::deletePrinter(SpoolerHandle handle) {
  return timed([&] { return target_.deletePrinter(handle); });
}

bool TimedSpooler::deletePrinterConnectionW(const wchar_t* name) {
  return timed([&] { return target_.deletePrinterConnectionW(name); });
}

bool TimedSpooler::deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                                          const wchar_t* driverName, std::uint32_t deleteFlags,
                                          std::uint32_t versionFlag) {
  return timed([&] {
    return target_.deletePrinterDriverExW(server, environment, driverName, deleteFlags,
                                          versionFlag);
  });
}

bool TimedSpooler::deletePortW(const wchar_t* server, void* window, const wchar_t* portName) {
  return timed([&] { return target_.deletePortW(server, window, portName); });
}

bool TimedSpooler::xcvDataW(SpoolerHandle handle, const wchar_t* dataName,
                            const std::uint8_t* input, std::uint32_t inputSize,
                            std::uint8_t* output, std::uint32_t outputSize,
                            std::uint32_t* outputNeeded, std::uint32_t* status) {
  return timed([&] {
    return target_.xcvDataW(handle, dataName, input, inputSize, output, outputSize, outputNeeded,
                            status);
  });
}

}  // namespace kv::bench
