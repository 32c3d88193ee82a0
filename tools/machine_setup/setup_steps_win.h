#pragma once

// Helpers shared by the Windows implementations of the set-up steps.
#include <windows.h>

#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"

namespace kv::setup {

// The failure of `call`, with the calling thread's last-error value.
inline StepResult failedCall(const wchar_t* call) { return {true, GetLastError(), call}; }
// The failure of `call` with a code it returned itself (registry calls, monitor statuses).
inline StepResult failedWith(DWORD error, const wchar_t* call) { return {true, error, call}; }

inline std::wstring textOrEmpty(const wchar_t* text) { return text != nullptr ? text : L""; }

// The two-call sizing of the spooler's enumerations: `call(buffer, size, &needed, &count)` is
// repeated with a buffer of the size it asked for while it fails for lack of room, a few times
// at most in case the objects grow in between. False with the call's last error otherwise.
template <typename Call>
bool enumerateInto(std::vector<BYTE>& buffer, DWORD& count, Call call) {
  count = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    if (call(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
             &count)) {
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
    buffer.resize(needed);
  }
  return false;
}

}  // namespace kv::setup
