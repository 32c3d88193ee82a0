#pragma once

#include <cstdint>
#include <string>

#include "spooler/print_spooler.h"

namespace kv {

// Both open the queue with `access`. Level 6 and 2 of GetPrinterW and the job count need no more
// than PRINTER_ACCESS_USE (kPrinterAccessUse), which a standard user holds on a queue; the
// cleaner asks for kPrinterAllAccess.

// The status word of a queue, as the spooler's printer status bits. -1 (every bit set) when the
// queue cannot be opened or the spooler gives no size for its status; 0 when the status query
// itself fails, which looks like an idle queue. Only failures are reported: a successful check
// leaves dwMciGetLastError as it was.
inline constexpr std::int32_t kPrinterStatusUnavailable = -1;
std::int32_t bMciGetPrinterStatus(const std::wstring& queueName,
                                  std::uint32_t access = kPrinterAllAccess);

// Whether the queue holds print jobs. False also when the queue cannot be opened or queried;
// dwMciGetLastError then holds the failure's code, and 0 after a clean answer.
bool bMciHasPrinterJobs(const std::wstring& queueName, std::uint32_t access = kPrinterAllAccess);

}  // namespace kv
