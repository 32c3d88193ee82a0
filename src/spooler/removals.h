#pragma once

#include <string>

namespace kv {

// Removal of one print object each. True means removed or already absent; false means the
// removal failed, and the failure has been reported (dwMciGetLastError gives its code). An empty
// name counts as no name given: it is passed on, but no trace line names it.

// A network printer connection of the current user. One that does not exist counts as removed.
bool bMciDeletePrinterConnection(const std::wstring& connectionName);

// A local print queue. One that does not exist fails when it is opened.
bool bMciDeletePrinter(const std::wstring& queueName);

// A printer driver of the local machine, with its files that no other driver uses. One that is
// not installed counts as removed; one that a queue still uses fails.
bool bMciDeletePrinterDriverEx(const std::wstring& driverName);
// The same for a driver of the environment named ("Windows NT x86").
bool bMciDeletePrinterDriverEx(const std::wstring& driverName, const std::wstring& environment);

// A port, through the spooler's own port removal.
bool bMciRemovePort(const std::wstring& portName);

}  // namespace kv
