#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Ends the run on a failure it cannot go past: logs "Error constant = <code>", shows the code's
// message box (with message boxes on), closes the detail log, completes the operation log
// record with the code and NG, and exits the process with `code` as its status. Static objects
// are destroyed and streams flushed as at a normal exit.
[[noreturn]] void fatalEnd(std::int32_t code, const std::wstring& insert);

}  // namespace kv
