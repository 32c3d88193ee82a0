#pragma once

#include <windows.h>

#include "test_port_monitor/monitor_store.h"

namespace kv::testmon {

// One XcvData command sent to the monitor; the result is the status XcvDataW hands back.
//   "DeletePort": the input record is appended to RecordFile byte for byte, then the monitor
//                 answers DeletePortStatus; with 0 it also drops the port named in the record's
//                 leading name field (both record layouts start with it).
//   "AddPort":    the input is a NUL-terminated port name; the port is added (0) or was there
//                 already (ERROR_ALREADY_EXISTS).
//   "MonitorUI":  the monitor has no user-interface DLL: ERROR_NOT_SUPPORTED.
// The two changing commands need SERVER_ACCESS_ADMINISTER in `granted` (ERROR_ACCESS_DENIED).
// Other commands answer ERROR_INVALID_PARAMETER, as the system's monitors do.
DWORD runXcvCommand(MonitorStore& store, ACCESS_MASK granted, const wchar_t* command,
                    const BYTE* input, DWORD inputSize, DWORD* outputNeeded);

}  // namespace kv::testmon
