#pragma once

#include <string>

namespace kv {

// A message text with its insert: each "%s" becomes `insert` and "%%" becomes "%"; any other
// "%" is copied as it stands. The text comes from a file anyone can edit, so it is never handed
// to a printf-style formatter, which would read arguments that were never passed.
std::wstring insertIntoMessage(const std::wstring& text, const std::wstring& insert);

}  // namespace kv
