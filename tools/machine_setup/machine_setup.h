#pragma once

// Steps that put print objects on (and take them off) the machine the tests and the demo run
// on, through the spooler's public calls. The exe kvsetup gives them a command line; the tests
// under Wine call them directly. This header stays free of <windows.h> so that test files can
// include it beside the product's headers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::setup {

// The outcome of one step. On failure, `call` names the call that failed and `error` holds its
// Windows error code or, for a port monitor command, the monitor's status. (A failed call that
// leaves no error code keeps 0 there and still counts as failed.)
struct StepResult {
  bool failed = false;
  std::uint32_t error = 0;
  std::wstring call;
  bool ok() const { return !failed; }
};

inline constexpr wchar_t kLocalPortMonitor[] = L"Local Port";

// Adds a port through the "AddPort" command of the monitor's transceive interface; the system's
// own local ports come from the monitor "Local Port".
StepResult addPort(const std::wstring& port, const std::wstring& monitor = kLocalPortMonitor);
// DeletePortW.
StepResult deletePort(const std::wstring& port);

// Installs a version-3 driver of the system's environment whose three files are dummies.
StepResult addDriver(const std::wstring& driver);
// DeletePrinterDriverExW without delete flags: removes the registration only (Wine refuses every
// delete flag).
StepResult deleteDriver(const std::wstring& driver);

// AddPrinterW level 2 with the print processor "WinPrint" and data type "RAW".
StepResult addQueue(const std::wstring& queue, const std::wstring& driver,
                    const std::wstring& port);
// OpenPrinterW with full access, then DeletePrinter.
StepResult deleteQueue(const std::wstring& queue);

// Copies the test port monitor DLL at `dllPath` into the system directory (unless an identical
// copy is there) and registers it under `name` with AddMonitorW level 2. The new monitor reports
// its ports with `name` as monitor name, an empty description, type 1, and answers status 0.
StepResult addTestMonitor(const std::wstring& name, const std::wstring& dllPath);
// DeleteMonitorW; the monitor's settings and ports go with its registry key.
StepResult deleteTestMonitor(const std::wstring& name);

// Places the printer-class INF package at `infPath` (its files beside it) in the driver store with
// SetupCopyOEMInfW; `publishedName` receives the name it is published under ("oemNN.inf").
StepResult addDriverPackage(const std::wstring& infPath, std::wstring& publishedName);

// Settings of a registered test port monitor; fields left empty keep their current value.
struct MonitorSettings {
  std::optional<std::wstring> reportedMonitor;    // monitor name in the port records
  std::optional<std::wstring> description;        // description in the port records
  std::optional<std::uint32_t> portType;          // port type bits in the port records
  std::optional<std::uint32_t> deletePortStatus;  // status "DeletePort" and DeletePortW answer
  std::optional<std::wstring> recordFile;         // file the "DeletePort" records are appended to
  std::optional<std::uint32_t> stopProcessAt;     // exit code the next "DeletePort" ends with
};
StepResult configureTestMonitor(const std::wstring& name, const MonitorSettings& settings);

struct PortEntry {
  std::wstring name;
  std::wstring monitor;
  std::wstring description;
  std::uint32_t type = 0;
};
struct QueueEntry {
  std::wstring name;
  std::wstring driver;
  std::wstring port;
};
struct MonitorEntry {
  std::wstring name;
  std::wstring dll;
};

// The spooler's enumerations: EnumPortsW level 2, EnumPrinterDriversW level 1, EnumPrintersW of
// the local queues level 2, EnumMonitorsW level 2. Missing texts become empty.
StepResult listPorts(std::vector<PortEntry>& ports);
StepResult listDrivers(std::vector<std::wstring>& drivers);
StepResult listQueues(std::vector<QueueEntry>& queues);
StepResult listMonitors(std::vector<MonitorEntry>& monitors);

// An installed Windows Installer product and its uninstall entries. A 64-bit package registers
// its entry in the registry's 64-bit view, a 32-bit one in the 32-bit view (Wow6432Node); an
// absent optional means that view has no entry for the code, an empty text an entry without
// "UninstallString".
struct ProductEntry {
  std::wstring code;
  std::wstring name;       // "ProductName"
  std::wstring publisher;  // "Publisher", the package's Manufacturer
  std::optional<std::wstring> uninstall64;
  std::optional<std::wstring> uninstall32;
};

// MsiEnumProductsW in the installer service's order, with MsiGetProductInfoW and the uninstall
// entries of both registry views.
StepResult listProducts(std::vector<ProductEntry>& products);

}  // namespace kv::setup
