#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "system/scoped_instance.h"

namespace kv {

// One printer-class driver package published in the driver store.
struct DriverPackage {
  // The name setup published it under in the system's INF folder ("oem12.inf").
  std::wstring publishedName;
  // The full path of its INF in the store, as SetupGetInfDriverStoreLocationW gives it; the
  // spooler's level 8 driver record names this path (or the published INF's own path).
  std::wstring storePath;
  // The INF's [Version] Provider, its %string% resolved; empty when it names none.
  std::wstring provider;
  // The manufacturers its [Manufacturer] section lists, their %strings% resolved.
  std::vector<std::wstring> manufacturers;
  // The model names (the left side of each line) of the models sections those manufacturers
  // name, resolved, each once, in the INF's order.
  std::vector<std::wstring> models;
};

// Codes the driver store's calls give that the cleaner and its tests name.
inline constexpr std::uint32_t kErrorProcedureMissing = 127;  // ERROR_PROC_NOT_FOUND
// The spooler's answer for a package an installed driver still uses.
inline constexpr std::uint32_t kErrorDriverPackageInUse =
    3015;  // ERROR_PRINTER_DRIVER_PACKAGE_IN_USE
// The setup library's answer for a published INF a device still uses.
inline constexpr std::uint32_t kErrorInfInUseByDevices = 0xE000023D;  // ERROR_INF_IN_USE_BY_DEVICES

// The driver store calls the cleaner and kvcheck make. The removals have their Win32 shape; the
// listing is ours, because Windows reads the store through several setup calls (the published
// INFs in the system's INF folder, SetupOpenInfFileW with class "Printer", the store location,
// the [Version], [Manufacturer] and models sections). Every operation returns true on success and
// false on failure, after which lastError() holds the code. One implementation forwards to
// winspool and setupapi (loaded from the system folder at run time); the in-memory store serves
// the tests. Members are named after the W functions in lower camel case.
class DriverStore {
 public:
  virtual ~DriverStore() = default;

  // The printer-class packages published in the store, each once, in the order of their
  // published names. Replaces *packages. A published INF that cannot be opened as a printer-class
  // INF is not listed. Fails (and leaves *packages empty) when the store cannot be read at all,
  // with the platform's code (3: the INF folder is missing).
  virtual bool listPrinterPackages(std::vector<DriverPackage>* packages) = 0;

  // DeletePrinterDriverPackageW: removes the package whose INF is `infPath` (a store path as
  // listed) for `environment` (null: the machine's own) from the store of `server` (null: this
  // machine). Needs an administrator. The call returns an HRESULT: a failure's Win32 code (the
  // low word of an HRESULT_FROM_WIN32 value) becomes the last-error value, any other HRESULT
  // the value itself. 3015 when an installed driver still uses the package; 2 or 1797 when it is
  // not in the store; 127 when winspool has no such function (older systems, Wine 8).
  virtual bool deletePrinterDriverPackageW(const wchar_t* server, const wchar_t* infPath,
                                           const wchar_t* environment) = 0;

  // SetupUninstallOEMInfW: removes the published INF `infFileName` ("oem12.inf", a name, not a
  // path) and its package from the store. `flags` 0, never SUOI_FORCEDELETE, so that a package a
  // device still uses is refused (0xE000023D) rather than torn out; `reserved` null. Needs an
  // administrator. 2 when no INF of that name is published; 87 for a name that is not a
  // published INF's. Wine 8 answers success and removes nothing, so callers list again.
  virtual bool setupUninstallOEMInfW(const wchar_t* infFileName, std::uint32_t flags,
                                     void* reserved) = 0;

  // The last-error value after a failed call (GetLastError on Windows).
  virtual std::uint32_t lastError() = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static DriverStore& current();
};

// The platform's own store: setupapi.dll and winspool.drv from the system folder on Windows,
// where an operation whose function cannot be loaded fails with the load's error (126, 127).
// The native build has none and answers as an empty store (driver_store_posix.cpp).
DriverStore& platformDriverStore();

// Installs another instance as DriverStore::current() for the lifetime of the scope.
using ScopedDriverStore = ScopedInstance<DriverStore>;

}  // namespace kv
