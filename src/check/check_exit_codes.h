#pragma once

namespace kv {

// kvcheck's exit codes. The listing failures keep the cleaner's codes (messages/result_codes.h):
// 4 for a configuration that cannot be loaded, 16 connections, 17 queues and drivers, 18 ports,
// 15 for a check that could not go on (out of memory); 1 for a wrong command line.
inline constexpr int kCheckFoundNothing = 0;
// The maker's objects are there, but a clean run with the same options would change none of them
// (each listed with why it stays), so that detection can count the PC as done.
inline constexpr int kCheckAllStays = 113;
// A clean run would still change something: remove it, or try again what it keeps for now (a busy
// or printing queue, what an earlier run failed to delete), or the check could not tell. Above the
// 113 codes of the message table, so that no failure of either program shares it, and below 256,
// so that every shell reads it whole.
inline constexpr int kCheckWouldChange = 114;
// The installed packages cannot be listed. The cleaner only logs that; the check cannot say what
// would be uninstalled, so it ends with a code of its own, the next one after the table as well.
inline constexpr int kCheckEnumProductsFailed = 115;

}  // namespace kv
