#include "system/print_environment_win.h"

#include <windows.h>

#include "system/system_library_win.h"

namespace kv {
namespace {

// Declared by <wow64apiset.h> only for Windows 10, which brought it (1709); looked up by name, so
// that the program still starts on Windows 7.
using IsWow64Process2Function = BOOL WINAPI(HANDLE, USHORT*, USHORT*);

MachineKind kindOfImageMachine(USHORT machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
      return MachineKind::X86;
    case IMAGE_FILE_MACHINE_AMD64:
      return MachineKind::X64;
    case IMAGE_FILE_MACHINE_ARM64:
      return MachineKind::Arm64;
    default:
      return MachineKind::Unknown;
  }
}

MachineKind kindOfProcessorArchitecture(WORD architecture) {
  switch (architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
      return MachineKind::X86;
    case PROCESSOR_ARCHITECTURE_AMD64:
      return MachineKind::X64;
    case PROCESSOR_ARCHITECTURE_ARM64:
      return MachineKind::Arm64;
    default:
      return MachineKind::Unknown;
  }
}

MachineKind findNativeMachine() {
  // Only IsWow64Process2 tells the truth to the x64 program emulated on ARM64 Windows: that
  // process is not WOW64, and GetNativeSystemInfo answers it with AMD64. The current process's
  // pseudo-handle carries PROCESS_QUERY_INFORMATION.
  const SystemLibrary kernel32(L"kernel32.dll");
  const auto isWow64Process2 = kernel32.procedure<IsWow64Process2Function>("IsWow64Process2");
  USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  if (isWow64Process2 &&
      isWow64Process2.get()(GetCurrentProcess(), &processMachine, &nativeMachine)) {
    if (const MachineKind kind = kindOfImageMachine(nativeMachine); kind != MachineKind::Unknown) {
      return kind;
    }
  }
  // Before Windows 10 1709 only x64 ran WOW64 (Itanium is not served), and no x64 program ran on
  // ARM64. Wine 8 answers IsWow64Process2 with UNKNOWN for both machines, so it comes here too.
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  return kindOfProcessorArchitecture(system.wProcessorArchitecture);
}

}  // namespace

MachineKind nativeMachineKind() {
  // A process does not change its machine while it runs.
  static const MachineKind native = findNativeMachine();
  return native;
}

std::optional<std::wstring> wow64NativePrintEnvironment() {
  return driverEnvironmentFor(kProgramMachine, nativeMachineKind());
}

}  // namespace kv
