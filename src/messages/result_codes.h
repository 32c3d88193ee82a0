#pragma once

#include <cstdint>
#include <string>

#include "messages/message_file.h"

namespace kv {

// The result codes the cleaner raises. A fatal end uses its code as the exit status.
inline constexpr std::int32_t kResultReadScenario = 4;      // -F file cannot be loaded
inline constexpr std::int32_t kResultCommandFailed = 15;    // the run raised (out of memory)
inline constexpr std::int32_t kResultEnumNetPrinters = 16;  // connections cannot be listed
inline constexpr std::int32_t kResultEnumPrinters = 17;     // queues or drivers cannot be listed
inline constexpr std::int32_t kResultEnumPorts = 18;        // ports cannot be listed
inline constexpr std::int32_t kResultNowPrinting = 30;      // a queue is printing
inline constexpr std::int32_t kResultBusy = 42;             // a queue is busy
inline constexpr std::int32_t kResultDeleteDriverPackage = 44;  // a driver deletion failed

// The lowest and highest codes with a message identifier.
inline constexpr std::int32_t kFirstResultCode = 1;
inline constexpr std::int32_t kLastResultCode = 113;

// The message identifier of `code` (its key in the message text file). False, with an empty
// identifier, for codes outside 1 to 113.
bool messageIdForCode(std::int32_t code, std::wstring& id);

// The text of `code` in the file's section. False, with `text` unchanged, when the code has no
// identifier (the file is then not read) or the file has no text for it.
bool messageTextForCode(const MessageFile& file, std::int32_t code, std::wstring& text);

}  // namespace kv
