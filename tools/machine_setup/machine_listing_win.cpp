// The spooler's enumerations, copied into plain records.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "machine_setup/machine_setup.h"
#include "machine_setup/setup_steps_win.h"

namespace kv::setup {
namespace {

template <typename Record>
const Record* records(const std::vector<BYTE>& buffer) {
  return reinterpret_cast<const Record*>(buffer.data());
}

}  // namespace

StepResult listPorts(std::vector<PortEntry>& ports) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (!enumerateInto(buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPortsW(nullptr, 2, data, size, needed, returned) != FALSE;
      })) {
    return failedCall(L"EnumPortsW");
  }
  for (DWORD index = 0; index < count; ++index) {
    const PORT_INFO_2W& port = records<PORT_INFO_2W>(buffer)[index];
    ports.push_back({textOrEmpty(port.pPortName), textOrEmpty(port.pMonitorName),
                     textOrEmpty(port.pDescription), port.fPortType});
  }
  return {};
}

StepResult listDrivers(std::vector<std::wstring>& drivers) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (!enumerateInto(buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrinterDriversW(nullptr, nullptr, 1, data, size, needed, returned) != FALSE;
      })) {
    return failedCall(L"EnumPrinterDriversW");
  }
  for (DWORD index = 0; index < count; ++index) {
    drivers.push_back(textOrEmpty(records<DRIVER_INFO_1W>(buffer)[index].pName));
  }
  return {};
}

StepResult listQueues(std::vector<QueueEntry>& queues) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (!enumerateInto(buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned) != FALSE;
      })) {
    return failedCall(L"EnumPrintersW");
  }
  for (DWORD index = 0; index < count; ++index) {
    const PRINTER_INFO_2W& queue = records<PRINTER_INFO_2W>(buffer)[index];
    queues.push_back({textOrEmpty(queue.pPrinterName), textOrEmpty(queue.pDriverName),
                      textOrEmpty(queue.pPortName)});
  }
  return {};
}

StepResult listMonitors(std::vector<MonitorEntry>& monitors) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (!enumerateInto(buffer, count, [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return EnumMonitorsW(nullptr, 2, data, size, needed, returned) != FALSE;
      })) {
    return failedCall(L"EnumMonitorsW");
  }
  for (DWORD index = 0; index < count; ++index) {
    const MONITOR_INFO_2W& monitor = records<MONITOR_INFO_2W>(buffer)[index];
    monitors.push_back({textOrEmpty(monitor.pName), textOrEmpty(monitor.pDLLName)});
  }
  return {};
}

}  // namespace kv::setup
