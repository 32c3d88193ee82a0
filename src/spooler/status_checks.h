#pragma once

#include <cstdint>
#include <string>

namespace kv {

// The status word of a queue, as the spooler's printer status bits. -1 (every bit set) when the
// queue cannot be opened or the spooler gives no size for its status; 0 when the status query
// itself fails, which looks like an idle queue. Only failures are reported: a successful check
// leaves dwMciGetLastError as it was.
inline constexpr std::int32_t kPrinterStatusUnavailable = -1;
std::int32_t bMciGetPrinterStatus(const std::wstring& queueName);

// Whether the queue holds print jobs. False also when the queue cannot be opened or queried;
// dwMciGetLastError then holds the failure's code, and 0 after a clean answer.
bool bMciHasPrinterJobs(const std::wstring& queueName);

}  // namespace kv
