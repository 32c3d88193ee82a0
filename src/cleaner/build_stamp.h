#pragma once

namespace kv {

// The text of the build time stamp (weekday, month, day, time of day, year: "%a %b %d %H:%M:%S
// %Y"). kvcleaner gets it from an object compiled afresh each time the program is linked
// (cmake/BuildStamp.cmake); other programs that link kv_cleaner, the tests among them, get the
// fixed text of build_stamp_default.cpp.
extern const wchar_t kBuildStampText[];

}  // namespace kv
