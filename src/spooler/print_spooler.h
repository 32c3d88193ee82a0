#pragma once

#include <cstdint>

#include "system/scoped_instance.h"

namespace kv {

// Records in the layout of their winspool counterparts (PRINTER_INFO_2W, PRINTER_INFO_6,
// DRIVER_INFO_1W, DRIVER_INFO_8W, PORT_INFO_2W), so that the Windows implementation passes the
// caller's buffer straight through; spooler_win.cpp checks sizes and offsets against <winspool.h>.
struct PrinterInfo2 {
  wchar_t* pServerName;
  wchar_t* pPrinterName;
  wchar_t* pShareName;
  wchar_t* pPortName;
  wchar_t* pDriverName;
  wchar_t* pComment;
  wchar_t* pLocation;
  void* pDevMode;
  wchar_t* pSepFile;
  wchar_t* pPrintProcessor;
  wchar_t* pDatatype;
  wchar_t* pParameters;
  void* pSecurityDescriptor;
  std::uint32_t Attributes;
  std::uint32_t Priority;
  std::uint32_t DefaultPriority;
  std::uint32_t StartTime;
  std::uint32_t UntilTime;
  std::uint32_t Status;
  std::uint32_t cJobs;
  std::uint32_t AveragePPM;
};

struct PrinterInfo6 {
  std::uint32_t dwStatus;
};

struct DriverInfo1 {
  wchar_t* pName;
};

// FILETIME.
struct FileTime {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;
};

// DRIVER_INFO_8W: of its fields the cleaner reads the name, the environment and the INF path,
// which names the driver's package in the driver store.
struct DriverInfo8 {
  std::uint32_t cVersion;
  wchar_t* pName;
  wchar_t* pEnvironment;
  wchar_t* pDriverPath;
  wchar_t* pDataFile;
  wchar_t* pConfigFile;
  wchar_t* pHelpFile;
  wchar_t* pDependentFiles;
  wchar_t* pMonitorName;
  wchar_t* pDefaultDataType;
  wchar_t* pszzPreviousNames;
  FileTime ftDriverDate;
  std::uint64_t dwlDriverVersion;
  wchar_t* pszMfgName;
  wchar_t* pszOEMUrl;
  wchar_t* pszHardwareID;
  wchar_t* pszProvider;
  wchar_t* pszPrintProcessor;
  wchar_t* pszVendorSetup;
  wchar_t* pszzColorProfiles;
  wchar_t* pszInfPath;
  std::uint32_t dwPrinterDriverAttributes;
  wchar_t* pszzCoreDriverDependencies;
  FileTime ftMinInboxDriverVerDate;
  std::uint64_t dwlMinInboxDriverVerVersion;
};

// PRINTER_INFO_4W, the record of a per-machine connection.
struct PrinterInfo4 {
  wchar_t* pPrinterName;
  wchar_t* pServerName;
  std::uint32_t Attributes;
};

struct PortInfo2 {
  wchar_t* pPortName;
  wchar_t* pMonitorName;
  wchar_t* pDescription;
  std::uint32_t fPortType;
  std::uint32_t Reserved;
};

using SpoolerHandle = void*;

// Enumeration flags and access rights the cleaner passes.
inline constexpr std::uint32_t kPrinterEnumLocal = 0x2;        // PRINTER_ENUM_LOCAL
inline constexpr std::uint32_t kPrinterEnumConnections = 0x4;  // PRINTER_ENUM_CONNECTIONS
inline constexpr std::uint32_t kPrinterAllAccess = 0xF000C;    // PRINTER_ALL_ACCESS
inline constexpr std::uint32_t kPrinterAccessUse = 0x8;        // PRINTER_ACCESS_USE
inline constexpr std::uint32_t kServerAccessAdminister = 0x1;  // SERVER_ACCESS_ADMINISTER

// Platform error codes the cleaner and its tests name.
inline constexpr std::uint32_t kErrorFileNotFound = 2;             // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kErrorAccessDenied = 5;             // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kErrorInvalidHandle = 6;            // ERROR_INVALID_HANDLE
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;          // ERROR_NOT_ENOUGH_MEMORY
inline constexpr std::uint32_t kErrorInvalidParameter = 87;        // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;     // ERROR_INSUFFICIENT_BUFFER
inline constexpr std::uint32_t kErrorBusy = 170;                   // ERROR_BUSY
inline constexpr std::uint32_t kErrorInvalidLevel = 124;           // ERROR_INVALID_LEVEL
inline constexpr std::uint32_t kErrorUnknownPort = 1796;           // ERROR_UNKNOWN_PORT
inline constexpr std::uint32_t kErrorUnknownPrinterDriver = 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
inline constexpr std::uint32_t kErrorInvalidPrinterName = 1801;    // ERROR_INVALID_PRINTER_NAME
inline constexpr std::uint32_t kErrorInvalidEnvironment = 1805;    // ERROR_INVALID_ENVIRONMENT
inline constexpr std::uint32_t kErrorPrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE
inline constexpr std::uint32_t kErrorServerUnavailable = 1722;     // RPC_S_SERVER_UNAVAILABLE

// The print spooler operations the cleaner calls, in their winspool shape: the same arguments,
// the same two-call buffer sizing (a call with no buffer fails with 122 and sets *needed), the
// same record layouts and the same last-error codes. Every operation returns true on success
// and false on failure, after which lastError() holds the code. One implementation forwards to
// winspool; the in-memory print system serves the tests. Members are named after the W
// functions in lower camel case, because the plain names are macros in <windows.h>.
class PrintSpooler {
 public:
  virtual ~PrintSpooler() = default;

  // EnumPrintersW. flags kPrinterEnumLocal or kPrinterEnumConnections, level 2. With a buffer
  // too small (or none) fails with 122 and sets *needed; on success *returned records of
  // PrinterInfo2 stand at the start of the buffer, their strings behind them.
  virtual bool enumPrintersW(std::uint32_t flags, const wchar_t* name, std::uint32_t level,
                             std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* needed,
                             std::uint32_t* returned) = 0;

  // EnumPrinterDriversW, level 1 (DriverInfo1) or 8 (DriverInfo8: with the driver's
  // environment and the INF path of its package in the driver store, null or empty when the
  // driver came from no package); sizing as enumPrintersW. Other levels fail with 124.
  virtual bool enumPrinterDriversW(const wchar_t* server, const wchar_t* environment,
                                   std::uint32_t level, std::uint8_t* buffer,
                                   std::uint32_t bufferSize, std::uint32_t* needed,
                                   std::uint32_t* returned) = 0;

  // EnumPortsW, level 2 (PortInfo2); sizing as enumPrintersW.
  virtual bool enumPortsW(const wchar_t* server, std::uint32_t level, std::uint8_t* buffer,
                          std::uint32_t bufferSize, std::uint32_t* needed,
                          std::uint32_t* returned) = 0;

  // OpenPrinterW with no data type and no device mode. `name` is a queue name (access
  // kPrinterAllAccess, or kPrinterAccessUse to read its state), a print server's queue
  // "\\server\queue" (kPrinterAccessUse; a server that does not answer fails with the
  // platform's code, for example 1722) or ",XcvMonitor <monitor>" (access
  // kServerAccessAdminister). A missing queue fails with 1801; a missing monitor with 1796
  // (ERROR_UNKNOWN_PORT, as winspool).
  virtual bool openPrinterW(const wchar_t* name, SpoolerHandle* handle,
                            std::uint32_t desiredAccess) = 0;

  // GetPrinterW, level 6 (PrinterInfo6) or 2 (PrinterInfo2); sizing as enumPrintersW.
  virtual bool getPrinterW(SpoolerHandle handle, std::uint32_t level, std::uint8_t* buffer,
                           std::uint32_t bufferSize, std::uint32_t* needed) = 0;

  // ClosePrinter.
  virtual bool closePrinter(SpoolerHandle handle) = 0;

  // DeletePrinter on an opened queue.
  virtual bool deletePrinter(SpoolerHandle handle) = 0;

  // DeletePrinterConnectionW. A connection that does not exist fails with 2.
  virtual bool deletePrinterConnectionW(const wchar_t* name) = 0;

  // EnumPerMachineConnectionsW with no server: the connections made for every user of the
  // machine, as PrinterInfo4 records ("\\server\queue" names); sizing as enumPrintersW. Any
  // user may list them.
  virtual bool enumPerMachineConnectionsW(const wchar_t* server, std::uint8_t* buffer,
                                          std::uint32_t bufferSize, std::uint32_t* needed,
                                          std::uint32_t* returned) = 0;

  // DeletePerMachineConnectionW with no server. Needs an administrator; one that does not exist
  // fails with 1801.
  virtual bool deletePerMachineConnectionW(const wchar_t* server, const wchar_t* printerName) = 0;

  // DeletePrinterDriverExW. A driver that is not installed fails with 1797; one that a queue
  // or a connection (of any user, or of the machine) still uses fails with the platform's code.
  virtual bool deletePrinterDriverExW(const wchar_t* server, const wchar_t* environment,
                                      const wchar_t* driverName, std::uint32_t deleteFlags,
                                      std::uint32_t versionFlag) = 0;

  // DeletePortW with no server name and no owner window.
  virtual bool deletePortW(const wchar_t* server, void* window, const wchar_t* portName) = 0;

  // XcvDataW on a ",XcvMonitor" handle. True when the call reached the monitor; the monitor's
  // own answer is in *status (0 = done).
  virtual bool xcvDataW(SpoolerHandle handle, const wchar_t* dataName, const std::uint8_t* input,
                        std::uint32_t inputSize, std::uint8_t* output, std::uint32_t outputSize,
                        std::uint32_t* outputNeeded, std::uint32_t* status) = 0;

  // The last-error value after a failed call (GetLastError on Windows).
  virtual std::uint32_t lastError() = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static PrintSpooler& current();
};

// The platform's own spooler: winspool.drv from the system folder on Windows, where an operation
// whose function cannot be loaded fails with the load's error as last-error value (126: no such
// DLL, 127: no such function). The native build has none and answers as an empty print system
// (spooler_posix.cpp).
PrintSpooler& platformPrintSpooler();

// Installs another instance as PrintSpooler::current() for the lifetime of the scope.
using ScopedPrintSpooler = ScopedInstance<PrintSpooler>;

}  // namespace kv
