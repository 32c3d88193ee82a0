// The print spooler on Windows: every operation forwards one to one to winspool.
#include <windows.h>
#include <winspool.h>

#include <cstddef>

#include "spooler/print_spooler.h"

namespace kv {
namespace {

// The records are passed through unchanged, so their layouts must be winspool's own.
static_assert(sizeof(PrinterInfo2) == sizeof(PRINTER_INFO_2W));
static_assert(offsetof(PrinterInfo2, pPrinterName) == offsetof(PRINTER_INFO_2W, pPrinterName));
static_assert(offsetof(PrinterInfo2, pPortName) == offsetof(PRINTER_INFO_2W, pPortName));
static_assert(offsetof(PrinterInfo2, pDriverName) == offsetof(PRINTER_INFO_2W, pDriverName));
static_assert(offsetof(PrinterInfo2, Status) == offsetof(PRINTER_INFO_2W, Status));
static_assert(offsetof(PrinterInfo2, cJobs) == offsetof(PRINTER_INFO_2W, cJobs));
static_assert(sizeof(PrinterInfo6) == sizeof(PRINTER_INFO_6));
static_assert(sizeof(DriverInfo1) == sizeof(DRIVER_INFO_1W));
static_assert(sizeof(PortInfo2) == sizeof(PORT_INFO_2W));
static_assert(offsetof(PortInfo2, pMonitorName) == offsetof(PORT_INFO_2W, pMonitorName));
static_assert(offsetof(PortInfo2, pDescription) == offsetof(PORT_INFO_2W, pDescription));
static_assert(offsetof(PortInfo2, fPortType) == offsetof(PORT_INFO_2W, fPortType));
static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

DWORD* asDword(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

class WindowsPrintSpooler final : public PrintSpooler {
 public:
  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override {
    return EnumPrintersW(flags, const_cast<LPWSTR>(name), level, buffer, bufferSize,
                         asDword(needed), asDword(returned)) != FALSE;
  }

  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override {
    return EnumPrinterDriversW(const_cast<LPWSTR>(server), const_cast<LPWSTR>(environment), level,
                               buffer, bufferSize, asDword(needed), asDword(returned)) != FALSE;
  }

  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override {
    return EnumPortsW(const_cast<LPWSTR>(server), level, buffer, bufferSize, asDword(needed),
                      asDword(returned)) != FALSE;
  }

  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                    std::uint32_t desiredAccess) override {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, desiredAccess};
    HANDLE opened = nullptr;
    const BOOL ok = OpenPrinterW(const_cast<LPWSTR>(name), &opened, &defaults);
    *handle = ok ? opened : nullptr;
    return ok != FALSE;
  }

  bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed) override {
    return GetPrinterW(handle, level, buffer, bufferSize, asDword(needed)) != FALSE;
  }

  bool closePrinter(SpoolerHandle handle) override { return ClosePrinter(handle) != FALSE; }

  bool deletePrinter(SpoolerHandle handle) override { return DeletePrinter(handle) != FALSE; }

  bool deletePrinterConnectionW(const wchar_t* name) override {
    return DeletePrinterConnectionW(const_cast<LPWSTR>(name)) != FALSE;
  }

  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override {
    return DeletePrinterDriverExW(const_cast<LPWSTR>(server), const_cast<LPWSTR>(environment),
                                  const_cast<LPWSTR>(driverName), deleteFlags,
                                  versionFlag) != FALSE;
  }

  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override {
    return DeletePortW(const_cast<LPWSTR>(server), static_cast<HWND>(window),
                       const_cast<LPWSTR>(portName)) != FALSE;
  }

  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override {
    return XcvDataW(handle, dataName, const_cast<PBYTE>(input), inputSize, output, outputSize,
                    asDword(outputNeeded), asDword(status)) != FALSE;
  }

  std::uint32_t lastError() override { return GetLastError(); }
};

}  // namespace

PrintSpooler& platformPrintSpooler() {
  static WindowsPrintSpooler spooler;
  return spooler;
}

}  // namespace kv
