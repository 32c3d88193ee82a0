// The print spooler on Windows: every operation forwards one to one to winspool, which is loaded
// from the system folder only (see system_library_win.h).
#include <windows.h>
#include <winspool.h>

#include <cstddef>

#include "spooler/print_spooler.h"
#include "system/system_library_win.h"

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
static_assert(sizeof(PrinterInfo4) == sizeof(PRINTER_INFO_4W));
static_assert(offsetof(PrinterInfo4, pServerName) == offsetof(PRINTER_INFO_4W, pServerName));
static_assert(offsetof(PrinterInfo4, Attributes) == offsetof(PRINTER_INFO_4W, Attributes));
static_assert(sizeof(DriverInfo1) == sizeof(DRIVER_INFO_1W));
static_assert(sizeof(DriverInfo8) == sizeof(DRIVER_INFO_8W));
static_assert(offsetof(DriverInfo8, pEnvironment) == offsetof(DRIVER_INFO_8W, pEnvironment));
static_assert(offsetof(DriverInfo8, dwlDriverVersion) ==
              offsetof(DRIVER_INFO_8W, dwlDriverVersion));
static_assert(offsetof(DriverInfo8, pszInfPath) == offsetof(DRIVER_INFO_8W, pszInfPath));
static_assert(offsetof(DriverInfo8, dwlMinInboxDriverVerVersion) ==
              offsetof(DRIVER_INFO_8W, dwlMinInboxDriverVerVersion));
// The fields between those tied above, so that no member of the record is off by one.
static_assert(sizeof(FileTime) == sizeof(FILETIME));
static_assert(offsetof(DriverInfo8, pName) == offsetof(DRIVER_INFO_8W, pName));
static_assert(offsetof(DriverInfo8, ftDriverDate) == offsetof(DRIVER_INFO_8W, ftDriverDate));
static_assert(offsetof(DriverInfo8, pszMfgName) == offsetof(DRIVER_INFO_8W, pszMfgName));
static_assert(offsetof(DriverInfo8, pszProvider) == offsetof(DRIVER_INFO_8W, pszProvider));
static_assert(offsetof(DriverInfo8, dwPrinterDriverAttributes) ==
              offsetof(DRIVER_INFO_8W, dwPrinterDriverAttributes));
static_assert(sizeof(PortInfo2) == sizeof(PORT_INFO_2W));
static_assert(offsetof(PortInfo2, pMonitorName) == offsetof(PORT_INFO_2W, pMonitorName));
static_assert(offsetof(PortInfo2, pDescription) == offsetof(PORT_INFO_2W, pDescription));
static_assert(offsetof(PortInfo2, fPortType) == offsetof(PORT_INFO_2W, fPortType));
static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

// mingw-w64's <winspool.h> does not declare the per-machine connection calls: their documented
// shapes (winspool.drv exports both since Windows 2000).
typedef BOOL(WINAPI EnumPerMachineConnectionsFunction)(LPCWSTR server, LPBYTE buffer,
                                                       DWORD bufferSize, LPDWORD needed,
                                                       LPDWORD returned);
typedef BOOL(WINAPI DeletePerMachineConnectionFunction)(LPCWSTR server, LPCWSTR printerName);

DWORD* asDword(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

// Calls a winspool function; one that could not be loaded fails as winspool does, with the
// reason in the last-error value.
template <typename Function, typename... Args>
bool forward(const SystemProcedure<Function>& procedure, Args... args) {
  if (!procedure) {
    SetLastError(procedure.missingReason());
    return false;
  }
  return procedure.get()(args...) != FALSE;
}

class WindowsPrintSpooler final : public PrintSpooler {
 public:
  bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                     std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                     std::uint32_t* returned) override {
    return forward(enumPrinters_, flags, const_cast<LPWSTR>(name), level, buffer, bufferSize,
                   asDword(needed), asDword(returned));
  }

  bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment, std::uint32_t level,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                           std::uint32_t* returned) override {
    return forward(enumPrinterDrivers_, const_cast<LPWSTR>(server), const_cast<LPWSTR>(environment),
                   level, buffer, bufferSize, asDword(needed), asDword(returned));
  }

  bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                  std::uint32_t bufferSize, std::uint32_t* needed,
                  std::uint32_t* returned) override {
    return forward(enumPorts_, const_cast<LPWSTR>(server), level, buffer, bufferSize,
                   asDword(needed), asDword(returned));
  }

  bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                    std::uint32_t desiredAccess) override {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, desiredAccess};
    HANDLE opened = nullptr;
    const bool ok = forward(openPrinter_, const_cast<LPWSTR>(name), &opened, &defaults);
    *handle = ok ? opened : nullptr;
    return ok;
  }

  bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                   std::uint32_t bufferSize, std::uint32_t* needed) override {
    return forward(getPrinter_, handle, level, buffer, bufferSize, asDword(needed));
  }

  bool closePrinter(SpoolerHandle handle) override { return forward(closePrinter_, handle); }

  bool deletePrinter(SpoolerHandle handle) override { return forward(deletePrinter_, handle); }

  bool deletePrinterConnectionW(const wchar_t* name) override {
    return forward(deletePrinterConnection_, const_cast<LPWSTR>(name));
  }

  bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                  std::uint32_t bufferSize, std::uint32_t* needed,
                                  std::uint32_t* returned) override {
    return forward(enumPerMachineConnections_, server, buffer, bufferSize, asDword(needed),
                   asDword(returned));
  }

  bool deletePerMachineConnectionW(const wchar_t* server, const wchar_t* printerName) override {
    return forward(deletePerMachineConnection_, server, printerName);
  }

  bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                              const wchar_t* driverName, std::uint32_t deleteFlags,
                              std::uint32_t versionFlag) override {
    return forward(deletePrinterDriverEx_, const_cast<LPWSTR>(server),
                   const_cast<LPWSTR>(environment), const_cast<LPWSTR>(driverName), deleteFlags,
                   versionFlag);
  }

  bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) override {
    return forward(deletePort_, const_cast<LPWSTR>(server), static_cast<HWND>(window),
                   const_cast<LPWSTR>(portName));
  }

  bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                std::uint32_t* outputNeeded, std::uint32_t* status) override {
    return forward(xcvData_, handle, dataName, const_cast<PBYTE>(input), inputSize, output,
                   outputSize, asDword(outputNeeded), asDword(status));
  }

  std::uint32_t lastError() override { return GetLastError(); }

 private:
  // winspool.drv is no KnownDLL: imported, it would be looked for beside the program first.
  SystemLibrary winspool_{L"winspool.drv"};
  SystemProcedure<decltype(::EnumPrintersW)> enumPrinters_ =
      KV_SYSTEM_PROCEDURE(winspool_, EnumPrintersW);
  SystemProcedure<decltype(::EnumPrinterDriversW)> enumPrinterDrivers_ =
      KV_SYSTEM_PROCEDURE(winspool_, EnumPrinterDriversW);
  SystemProcedure<decltype(::EnumPortsW)> enumPorts_ = KV_SYSTEM_PROCEDURE(winspool_, EnumPortsW);
  SystemProcedure<decltype(::OpenPrinterW)> openPrinter_ =
      KV_SYSTEM_PROCEDURE(winspool_, OpenPrinterW);
  SystemProcedure<decltype(::GetPrinterW)> getPrinter_ =
      KV_SYSTEM_PROCEDURE(winspool_, GetPrinterW);
  SystemProcedure<decltype(::ClosePrinter)> closePrinter_ =
      KV_SYSTEM_PROCEDURE(winspool_, ClosePrinter);
  SystemProcedure<decltype(::DeletePrinter)> deletePrinter_ =
      KV_SYSTEM_PROCEDURE(winspool_, DeletePrinter);
  SystemProcedure<decltype(::DeletePrinterConnectionW)> deletePrinterConnection_ =
      KV_SYSTEM_PROCEDURE(winspool_, DeletePrinterConnectionW);
  SystemProcedure<EnumPerMachineConnectionsFunction> enumPerMachineConnections_ =
      winspool_.procedure<EnumPerMachineConnectionsFunction>("EnumPerMachineConnectionsW");
  SystemProcedure<DeletePerMachineConnectionFunction> deletePerMachineConnection_ =
      winspool_.procedure<DeletePerMachineConnectionFunction>("DeletePerMachineConnectionW");
  SystemProcedure<decltype(::DeletePrinterDriverExW)> deletePrinterDriverEx_ =
      KV_SYSTEM_PROCEDURE(winspool_, DeletePrinterDriverExW);
  SystemProcedure<decltype(::DeletePortW)> deletePort_ =
      KV_SYSTEM_PROCEDURE(winspool_, DeletePortW);
  SystemProcedure<decltype(::XcvDataW)> xcvData_ = KV_SYSTEM_PROCEDURE(winspool_, XcvDataW);
};

}  // namespace

PrintSpooler& platformPrintSpooler() {
  static WindowsPrintSpooler spooler;
  return spooler;
}

}  // namespace kv
