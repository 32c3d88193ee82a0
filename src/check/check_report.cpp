#include "check/check_report.h"

namespace kv {
namespace {

struct KindNames {
  const char* jsonKey;
  const wchar_t* title;
};

constexpr KindNames kKindNames[kCheckedKindCount] = {
    {"packages", L"Installer packages"},
    {"connections", L"Network printer connections"},
    {"machineConnections", L"Per-machine printer connections"},
    {"queues", L"Local queues"},
    {"ports", L"Ports"},
    {"drivers", L"Drivers"},
    {"pendingRemovals", L"Pending removals of an earlier run"},
    {"unreachedDrivers", L"The maker's drivers no clean run reaches"},
};

}  // namespace

const char* jsonKeyOf(CheckedKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)].jsonKey;
}

const wchar_t* titleOf(CheckedKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)].title;
}

bool CheckReport::foundAny() const {
  for (const std::vector<CheckedObject>& kind : objects) {
    if (!kind.empty()) return true;
  }
  return false;
}

}  // namespace kv
