#pragma once

#include <cstdint>
#include <string>

namespace kv {

// No owner window, an error icon, system-modal, a single OK button (MB_ICONERROR |
// MB_SYSTEMMODAL).
inline constexpr std::uint32_t kErrorBoxStyle = 0x1010;

// Whether failures are shown in message boxes (-P). Off until start-up turns it on.
void setMessageBoxesEnabled(bool enabled);
bool messageBoxesEnabled();

// The run's message text file, recorded by checkMessageFile; empty before.
const std::wstring& runMessageFilePath();

// Records `path` as the run's message text file and tells whether it exists. When it does not,
// the notice naming it goes to the detail log as a warning and, with message boxes on, into a
// box; the run goes on either way.
bool checkMessageFile(const std::wstring& path);

// With message boxes on, shows the text of `code` from the run's message text file, the insert
// put in place of "%s". A code without a text gives a debug line naming the file, the section
// and the code instead of a box. With message boxes off nothing at all happens.
void showErrorForCode(std::int32_t code, const std::wstring& insert);

}  // namespace kv
