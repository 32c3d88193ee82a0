#pragma once

// Where the test port monitor keeps its settings. Everything lives under the monitor's own key in
// the spooler's monitor list, so each name the DLL is registered under is an independent monitor,
// and its ports are the Ports\<port> subkeys that Wine's spooler also searches when it looks for
// the monitor owning a port (DeletePortW, ",XcvPort <port>"). The DLL reads the values at every
// call, so a test can change them while the monitor is loaded.
//
//   HKLM\System\CurrentControlSet\Control\Print\Monitors\<name>
//     Driver            REG_SZ     the DLL file name (written by AddMonitorW)
//     ReportedMonitor   REG_SZ     monitor name put in each port record of EnumPorts
//     PortDescription   REG_SZ     description put in each port record of EnumPorts
//     PortType          REG_DWORD  port type bits of each port record (default 1, write)
//     DeletePortStatus  REG_DWORD  the status "DeletePort" answers (default 0, removed)
//     RecordFile        REG_SZ     file that each "DeletePort" input record is appended to
//     StopProcessAt     REG_DWORD  once: the next "DeletePort" ends the calling process with
//                                  this exit code before it does anything, as a kill would
//     Ports\<port>                 one subkey per port the monitor owns
namespace kv::testmon {

inline constexpr wchar_t kMonitorsKey[] = L"System\\CurrentControlSet\\Control\\Print\\Monitors";
inline constexpr wchar_t kPortsSubkey[] = L"Ports";
inline constexpr wchar_t kReportedMonitorValue[] = L"ReportedMonitor";
inline constexpr wchar_t kPortDescriptionValue[] = L"PortDescription";
inline constexpr wchar_t kPortTypeValue[] = L"PortType";
inline constexpr wchar_t kDeletePortStatusValue[] = L"DeletePortStatus";
inline constexpr wchar_t kRecordFileValue[] = L"RecordFile";
inline constexpr wchar_t kStopProcessAtValue[] = L"StopProcessAt";

// The file name the DLL is installed under in the system directory.
inline constexpr wchar_t kMonitorDllName[] = L"kvtestmon.dll";

inline constexpr unsigned long kDefaultPortType = 1;  // PORT_TYPE_WRITE

// Port names are stored as registry key names and copied from the 128-byte name field of the
// "DeletePort" records; longer names are refused.
inline constexpr unsigned kMaxPortNameLength = 63;

}  // namespace kv::testmon
