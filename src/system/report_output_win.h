#pragma once

// Writing a report on a standard handle so that its characters survive. Windows only.
#include <windows.h>

#include <string_view>

namespace kv {

// To a console: WriteConsoleW in pieces, each checked. To a file or pipe: the text in the
// console's output code page when the process has a console (what `type` and `findstr` there
// expect), else UTF-8, with CRLF line ends, written in pieces. Stops at the first piece the
// handle does not take whole: a closed or full stream loses the rest.
void writeReportTo(HANDLE handle, std::wstring_view text);

}  // namespace kv
