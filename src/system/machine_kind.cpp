#include "system/machine_kind.h"

namespace kv {

const char* architectureName(MachineKind machine) {
  switch (machine) {
    case MachineKind::X86:
      return "x86";
    case MachineKind::X64:
      return "x64";
    case MachineKind::Arm64:
      return "arm64";
    case MachineKind::Unknown:
      break;
  }
  return "unknown";
}

std::optional<std::wstring> driverEnvironmentFor(MachineKind program, MachineKind native) {
  if (native == program) return std::nullopt;
  switch (native) {
    case MachineKind::X64:
      return L"Windows x64";
    case MachineKind::Arm64:
      return L"Windows ARM64";
    case MachineKind::X86:
    case MachineKind::Unknown:
      break;
  }
  return std::nullopt;
}

}  // namespace kv
