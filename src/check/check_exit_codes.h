#pragma once

namespace kv {

// kvcheck's exit codes. The listing failures keep the cleaner's codes (messages/result_codes.h):
// 4 for a configuration that cannot be loaded, 16 connections, 17 queues and drivers, 18 ports,
// 15 for a check that could not go on (out of memory); 1 for a wrong command line.
inline constexpr int kCheckFoundNothing = 0;
// Something of the maker is on the machine. Above the 113 codes of the message table, so that no
// failure of either program and no message identifier shares it, and below 256, so that every
// shell reads it whole.
inline constexpr int kCheckFoundMakersObjects = 114;
// The installed packages cannot be listed. The cleaner only logs that; the check cannot say what
// would be uninstalled, so it ends with a code of its own, the next one after the table as well.
inline constexpr int kCheckEnumProductsFailed = 115;

}  // namespace kv
