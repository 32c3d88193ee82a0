#pragma once

// The print environment of the machine's own drivers for a 32-bit program on 64-bit Windows.
// Windows only.
#include <optional>
#include <string>

namespace kv {

// "Windows x64" or "Windows ARM64" when this process runs under WOW64 on such a machine; nullopt
// otherwise (a 64-bit process, 32-bit Windows) and when the question cannot be answered, so that
// the spooler keeps taking the caller's own environment.
std::optional<std::wstring> wow64NativePrintEnvironment();

}  // namespace kv
