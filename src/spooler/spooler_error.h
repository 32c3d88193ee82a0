#pragma once

#include <cstdint>

#include "spooler/print_spooler.h"

namespace kv {

// The spooler's last-error value as the wrappers record it. Taken right after the failed call,
// before any clean-up call can overwrite it.
inline std::int32_t platformErrorCode(PrintSpooler& spooler) {
  return static_cast<std::int32_t>(spooler.lastError());
}

// The code recorded when a buffer cannot be allocated. Allocation does not set the platform's
// last-error value, so it may still hold 0 from an earlier success; a failure must never be
// recorded as 0, which reads as success.
inline std::int32_t allocationErrorCode(PrintSpooler& spooler) {
  const std::int32_t code = platformErrorCode(spooler);
  return code != 0 ? code : static_cast<std::int32_t>(kErrorNotEnoughMemory);
}

}  // namespace kv
