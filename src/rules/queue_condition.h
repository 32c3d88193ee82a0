#pragma once

#include <cstdint>
#include <string>

#include "spooler/print_spooler.h"

namespace kv {

// Printer status bits that make a queue unsafe to delete: paused, error, pending deletion, I/O
// active, busy, user intervention (busy) and printing, processing (printing).
inline constexpr std::uint32_t kQueueBusyMask = 0x00100307;
inline constexpr std::uint32_t kQueuePrintingMask = 0x00004400;

// Whether a local queue may be deleted now: 0 when it is idle, 42 when its status says busy,
// 30 when it is printing or holds jobs. Printing wins over busy. A queue whose status cannot be
// read reads as every bit set, so it is never deleted. The queue is opened with `access`: the
// cleaner's full access by default, kPrinterAccessUse for a caller that only looks.
std::int32_t VerifyQueueCondition(const std::wstring& queueName,
                                  std::uint32_t access = kPrinterAllAccess);

}  // namespace kv
