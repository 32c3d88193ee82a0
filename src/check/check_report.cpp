#include "check/check_report.h"

#include <string_view>

#include "check/check_exit_codes.h"

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
    {"driverPackages", L"Driver store packages"},
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

bool cleanRunChanges(const CheckedObject& object) {
  return object.keptForNow || (object.decision != L"keep" && object.decision != L"unreached" &&
                               !object.decision.empty());
}

int CheckReport::findingsExitCode() const {
  for (const std::vector<CheckedObject>& kind : objects) {
    for (const CheckedObject& object : kind) {
      if (cleanRunChanges(object)) return kCheckWouldChange;
    }
  }
  return foundAny() ? kCheckAllStays : kCheckFoundNothing;
}

std::array<std::size_t, std::size(kDecisions)> CheckReport::countsOf(CheckedKind kind) const {
  std::array<std::size_t, std::size(kDecisions)> counts{};
  for (const CheckedObject& object : objects[static_cast<std::size_t>(kind)]) {
    for (std::size_t i = 0; i < counts.size(); ++i) {
      if (object.decision == kDecisions[i]) ++counts[i];
    }
  }
  return counts;
}

bool CheckReport::foundAny() const {
  for (const std::vector<CheckedObject>& kind : objects) {
    if (!kind.empty()) return true;
  }
  return false;
}

}  // namespace kv
