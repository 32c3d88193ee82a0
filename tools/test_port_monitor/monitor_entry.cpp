// The test port monitor's entry point and its MONITOR2 table. Each registration of the DLL gets
// its own instance (the handle the spooler passes back as hMonitor); all state lives in the
// registry, so a monitor loaded by the spooler sees the settings a test writes afterwards.
#include <windows.h>
#include <winsplp.h>
#include <winspool.h>

#include <new>
#include <string>
#include <utility>

#include "test_port_monitor/monitor_settings.h"
#include "test_port_monitor/monitor_store.h"
#include "test_port_monitor/port_records.h"
#include "test_port_monitor/xcv_commands.h"

namespace kv::testmon {
namespace {

struct MonitorInstance {
  MonitorStore store;
};

struct XcvSession {
  MonitorInstance* monitor;
  ACCESS_MASK granted;
};

struct OpenPort {
  MonitorInstance* monitor;
};

MonitorInstance* instanceOf(HANDLE monitor) { return static_cast<MonitorInstance*>(monitor); }

// No C++ exception may leave a callback into the spooler: a failure becomes the Win32 answer.
template <typename Body>
BOOL guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    SetLastError(ERROR_INTERNAL_ERROR);
  }
  return FALSE;
}

BOOL WINAPI enumPorts(HANDLE monitor, LPWSTR /*name*/, DWORD level, LPBYTE ports, DWORD size,
                      LPDWORD needed, LPDWORD returned) {
  return guarded([&] {
    return enumeratePortRecords(instanceOf(monitor)->store, level, ports, size, needed, returned);
  });
}

BOOL WINAPI openPort(HANDLE monitor, LPWSTR name, PHANDLE port) {
  return guarded([&] {
    if (port == nullptr || name == nullptr || !instanceOf(monitor)->store.hasPort(name)) {
      SetLastError(ERROR_UNKNOWN_PORT);
      return FALSE;
    }
    *port = new OpenPort{instanceOf(monitor)};
    return TRUE;
  });
}

BOOL WINAPI closePort(HANDLE port) {
  delete static_cast<OpenPort*>(port);
  return TRUE;
}

// Printing to a test port succeeds and the data goes nowhere.
BOOL WINAPI startDocPort(HANDLE, LPWSTR, DWORD, DWORD, LPBYTE) { return TRUE; }
BOOL WINAPI writePort(HANDLE, LPBYTE, DWORD size, LPDWORD written) {
  if (written != nullptr) *written = size;
  return TRUE;
}
BOOL WINAPI readPort(HANDLE, LPBYTE, DWORD, LPDWORD read) {
  if (read != nullptr) *read = 0;
  return TRUE;
}
BOOL WINAPI endDocPort(HANDLE) { return TRUE; }

// DeletePortW reaches this entry; it answers with the same told status as the "DeletePort"
// command, so the spooler's own port removal can be made to fail too.
BOOL WINAPI deletePort(HANDLE monitor, LPWSTR /*name*/, HWND /*window*/, LPWSTR port) {
  return guarded([&] {
    MonitorStore& store = instanceOf(monitor)->store;
    const DWORD status = store.number(kDeletePortStatusValue, ERROR_SUCCESS);
    const DWORD result = status != ERROR_SUCCESS ? status
                         : port == nullptr       ? ERROR_UNKNOWN_PORT
                                                 : store.removePort(port);
    if (result != ERROR_SUCCESS) {
      SetLastError(result);
      return FALSE;
    }
    return TRUE;
  });
}

BOOL WINAPI xcvOpenPort(HANDLE monitor, LPCWSTR /*object*/, ACCESS_MASK granted, PHANDLE xcv) {
  return guarded([&] {
    if (xcv == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    *xcv = new XcvSession{instanceOf(monitor), granted};
    return TRUE;
  });
}

DWORD WINAPI xcvDataPort(HANDLE xcv, LPCWSTR command, PBYTE input, DWORD inputSize,
                         PBYTE /*output*/, DWORD /*outputSize*/, PDWORD outputNeeded) {
  auto* session = static_cast<XcvSession*>(xcv);
  if (session == nullptr) return ERROR_INVALID_HANDLE;
  try {
    return runXcvCommand(session->monitor->store, session->granted, command, input, inputSize,
                         outputNeeded);
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

BOOL WINAPI xcvClosePort(HANDLE xcv) {
  delete static_cast<XcvSession*>(xcv);
  return TRUE;
}

VOID WINAPI shutdownMonitor(HANDLE monitor) { delete instanceOf(monitor); }

MONITOR2 makeMonitorTable() {
  MONITOR2 table{};
  table.cbSize = sizeof(MONITOR2);
  table.pfnEnumPorts = enumPorts;
  table.pfnOpenPort = openPort;
  table.pfnStartDocPort = startDocPort;
  table.pfnWritePort = writePort;
  table.pfnReadPort = readPort;
  table.pfnEndDocPort = endDocPort;
  table.pfnClosePort = closePort;
  table.pfnDeletePort = deletePort;
  table.pfnXcvOpenPort = xcvOpenPort;
  table.pfnXcvDataPort = xcvDataPort;
  table.pfnXcvClosePort = xcvClosePort;
  table.pfnShutdown = shutdownMonitor;
  return table;
}

}  // namespace
}  // namespace kv::testmon

// The spooler's registry root is, under Wine, a real key that the spooler closes again when this
// function returns; the instance keeps a handle of its own to it. (On Windows the root is only
// usable through pMonitorReg, which Wine leaves unimplemented.)
extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor) {
  static MONITOR2 table = kv::testmon::makeMonitorTable();
  if (init == nullptr || monitor == nullptr || init->hckRegistryRoot == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  kv::UniqueRegKey root;
  const LSTATUS opened = RegOpenKeyExW(reinterpret_cast<HKEY>(init->hckRegistryRoot), nullptr, 0,
                                       KEY_ALL_ACCESS, root.put());
  if (opened != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(opened));
    return nullptr;
  }
  auto* instance =
      new (std::nothrow) kv::testmon::MonitorInstance{kv::testmon::MonitorStore(std::move(root))};
  if (instance == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  *monitor = instance;
  return &table;
}
