#pragma once

// The machine's own kind of processor and the print environment of its drivers, for a program
// whose own kind may differ. Windows only.
#include <optional>
#include <string>

#include "system/machine_kind.h"

namespace kv {

// The processor kind of the machine itself, not of this process: Unknown when Windows does not
// say.
MachineKind nativeMachineKind();

// "Windows x64" or "Windows ARM64" when the machine's drivers are not of this program's kind:
// the 32-bit program on 64-bit Windows, or the x64 program emulated on ARM64 Windows. nullopt
// otherwise and when the question cannot be answered, so that the spooler keeps taking the
// caller's own environment.
std::optional<std::wstring> wow64NativePrintEnvironment();

}  // namespace kv
