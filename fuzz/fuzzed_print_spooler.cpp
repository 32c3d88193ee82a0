#include "fuzzed_print_spooler.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace kv::fuzz {
namespace {

// The pointer fields of each record kind, all of them, whether the wrappers read them or not.
constexpr std::size_t kPrinterPointers[] = {
    offsetof(PrinterInfo2, pServerName),
    offsetof(PrinterInfo2, pPrinterName),
    offsetof(PrinterInfo2, pShareName),
    offsetof(PrinterInfo2, pPortName),
    offsetof(PrinterInfo2, pDriverName),
    offsetof(PrinterInfo2, pComment),
    offsetof(PrinterInfo2, pLocation),
    offsetof(PrinterInfo2, pDevMode),
    offsetof(PrinterInfo2, pSepFile),
    offsetof(PrinterInfo2, pPrintProcessor),
    offsetof(PrinterInfo2, pDatatype),
    offsetof(PrinterInfo2, pParameters),
    offsetof(PrinterInfo2, pSecurityDescriptor),
};
constexpr std::size_t kDriverPointers[] = {offsetof(DriverInfo1, pName)};
constexpr std::size_t kConnectionPointers[] = {offsetof(PrinterInfo4, pPrinterName),
                                               offsetof(PrinterInfo4, pServerName)};
constexpr std::size_t kPortPointers[] = {
    offsetof(PortInfo2, pPortName),
    offsetof(PortInfo2, pMonitorName),
    offsetof(PortInfo2, pDescription),
};

}  // namespace

// Input read per call: a flags byte (bit 0: the call succeeds), then for the sizing call the
// needed size (u16), the record count (u32) and, on failure, the error code (u32); for the fetch
// on failure the error code (u32), on success the record count (u32), one choice per pointer
// field of each record counted that fits (a 0 byte for null, else a nonzero byte and a u16 offset,
// taken modulo the buffer size and aligned down) and then the buffer's bytes, as many as the
// input still has, up to its size (the pointers are written over them).
template <typename Record, std::size_t PointerCount>
bool FuzzedPrintSpooler::answer(const std::size_t (&pointerOffsets)[PointerCount],
                                std::uint8_t* buffer, std::uint32_t bufferSize,
                                std::uint32_t* needed, std::uint32_t* returned) {
  const bool succeeds = (input_.byte() & 1) != 0;
  if (buffer == nullptr) {
    *needed = input_.u16();
    *returned = input_.u32();
    if (succeeds) return true;
    lastError_ = input_.u32();
    return false;
  }
  fetch_ = Fetch{true, succeeds, bufferSize, 0, 0};
  if (!succeeds) {
    fetch_.error = lastError_ = input_.u32();
    return false;
  }
  fetch_.returned = *returned = input_.u32();
  struct Placed {
    std::size_t at;
    const wchar_t* pointer;
  };
  std::vector<Placed> pointers;
  // The records it claims, as far as the buffer holds them; behind them lie the texts.
  const std::size_t fitting = bufferSize / sizeof(Record);
  const std::size_t claimed = *returned < fitting ? *returned : fitting;
  for (std::size_t record = 0; record < claimed; ++record) {
    for (const std::size_t field : pointerOffsets) {
      const wchar_t* pointer = nullptr;
      if (input_.byte() != 0) {
        std::size_t offset = input_.u16() % bufferSize;
        offset -= offset % alignof(wchar_t);
        pointer = reinterpret_cast<const wchar_t*>(buffer + offset);
      }
      pointers.push_back({record * sizeof(Record) + field, pointer});
    }
  }
  input_.bytes(buffer, bufferSize);
  for (const Placed& placed : pointers) {
    std::memcpy(buffer + placed.at, &placed.pointer, sizeof placed.pointer);
  }
  return true;
}

bool FuzzedPrintSpooler::enumPrintersW(std::uint32_t, const wchar_t*, std::uint32_t,
                                       std::uint8_t* buffer, std::uint32_t bufferSize,
                                       std::uint32_t* needed, std::uint32_t* returned) {
  return answer<PrinterInfo2>(kPrinterPointers, buffer, bufferSize, needed, returned);
}

bool FuzzedPrintSpooler::enumPrinterDriversW(const wchar_t*, const wchar_t*, std::uint32_t,
                                             std::uint8_t* buffer, std::uint32_t bufferSize,
                                             std::uint32_t* needed, std::uint32_t* returned) {
  return answer<DriverInfo1>(kDriverPointers, buffer, bufferSize, needed, returned);
}

bool FuzzedPrintSpooler::enumPortsW(const wchar_t*, std::uint32_t, std::uint8_t* buffer,
                                    std::uint32_t bufferSize, std::uint32_t* needed,
                                    std::uint32_t* returned) {
  return answer<PortInfo2>(kPortPointers, buffer, bufferSize, needed, returned);
}

bool FuzzedPrintSpooler::enumPerMachineConnectionsW(const wchar_t*, std::uint8_t* buffer,
                                                    std::uint32_t bufferSize, std::uint32_t* needed,
                                                    std::uint32_t* returned) {
  return answer<PrinterInfo4>(kConnectionPointers, buffer, bufferSize, needed, returned);
}

}  // namespace kv::fuzz
