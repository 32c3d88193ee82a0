#pragma once

// The kinds of processor a Windows program or machine may be, and which driver environment a
// program has to name to reach the machine's own drivers. Platform-neutral, so that the choice
// can be shown on every build.
#include <optional>
#include <string>

namespace kv {

enum class MachineKind { Unknown, X86, X64, Arm64 };

// The kind this program was built for.
#if defined(__aarch64__) || defined(_M_ARM64)
inline constexpr MachineKind kProgramMachine = MachineKind::Arm64;
#elif defined(__x86_64__) || defined(_M_X64)
inline constexpr MachineKind kProgramMachine = MachineKind::X64;
#else
inline constexpr MachineKind kProgramMachine = MachineKind::X86;
#endif

// "x86", "x64", "arm64" or "unknown", as the check's report names a machine.
const char* architectureName(MachineKind machine);

// The environment of the machine's own drivers when it is not the program's: the 32-bit program
// on 64-bit Windows (WOW64) and the x64 program under emulation on ARM64 Windows, which is not
// WOW64 and which the spooler answers with the x64 environment. nullopt when the program's own
// environment is the machine's, or the machine's kind is not known.
std::optional<std::wstring> driverEnvironmentFor(MachineKind program, MachineKind native);

}  // namespace kv
