#pragma once

#include <windows.h>

#include "test_port_monitor/monitor_store.h"

namespace kv::testmon {

// EnumPorts of the monitor: PORT_INFO_1W (level 1) or PORT_INFO_2W (level 2) records for every
// port in the store, the records first and their strings behind them, as the spooler expects.
// A buffer smaller than *needed fails with ERROR_INSUFFICIENT_BUFFER; another level with
// ERROR_INVALID_LEVEL.
BOOL enumeratePortRecords(const MonitorStore& store, DWORD level, BYTE* buffer, DWORD size,
                          DWORD* needed, DWORD* returned);

}  // namespace kv::testmon
