#include "system/print_environment_win.h"

#include <windows.h>

#include "system/system_library_win.h"

namespace kv {
namespace {

// Declared by <wow64apiset.h> only for Windows 10, which brought it (1511); looked up by name, so
// that the program still starts on Windows 7.
using IsWow64Process2Function = BOOL WINAPI(HANDLE, USHORT*, USHORT*);

std::optional<std::wstring> environmentOfMachine(USHORT machine) {
  if (machine == IMAGE_FILE_MACHINE_AMD64) return L"Windows x64";
  if (machine == IMAGE_FILE_MACHINE_ARM64) return L"Windows ARM64";
  return std::nullopt;
}

std::optional<std::wstring> findEnvironment() {
  const SystemLibrary kernel32(L"kernel32.dll");
  const auto isWow64Process2 = kernel32.procedure<IsWow64Process2Function>("IsWow64Process2");
  USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  if (isWow64Process2 &&
      isWow64Process2.get()(GetCurrentProcess(), &processMachine, &nativeMachine) &&
      processMachine != IMAGE_FILE_MACHINE_UNKNOWN) {
    return environmentOfMachine(nativeMachine);
  }
  // Before Windows 10 only x64 (and Itanium, which the cleaner does not serve) ran WOW64. Wine 8
  // answers IsWow64Process2 with UNKNOWN for both machines even under WOW64, so its "not under
  // WOW64" is checked here too; on Windows the two functions agree.
  BOOL underWow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &underWow64) || !underWow64) return std::nullopt;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  if (system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64) return L"Windows x64";
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> wow64NativePrintEnvironment() {
  // A process does not change its kind while it runs.
  static const std::optional<std::wstring> environment = findEnvironment();
  return environment;
}

}  // namespace kv
