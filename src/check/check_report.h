#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

// What kvcheck reports: per kind of object, each object a clean run would meet and what it would
// do with it. The kinds in the order of the report, which is the order of a clean run.
enum class CheckedKind {
  Packages,
  Connections,
  MachineConnections,
  Queues,
  Ports,
  Drivers,
  PendingRemovals,
  UnreachedDrivers,
};
inline constexpr std::size_t kCheckedKindCount = 8;

// The key of a kind in the JSON document and the title of its section in the table.
const char* jsonKeyOf(CheckedKind kind);
const wchar_t* titleOf(CheckedKind kind);

struct CheckedObject {
  CheckedObject() = default;
  explicit CheckedObject(std::wstring objectName, std::wstring objectDecision = {})
      : name(std::move(objectName)), decision(std::move(objectDecision)) {}

  std::wstring name;
  // "uninstall", "disconnect", "delete", "take" or "keep"; "unreached" for what no clean run
  // gets to.
  std::wstring decision;
  std::wstring why;
  // Further facts by name ("driver", "port", "monitor", "route", "protocol", "command",
  // "environment"), in the order they are shown.
  std::vector<std::pair<std::string, std::wstring>> facts;
  // Without models: the brand text that made the filter choose the object's driver.
  std::optional<std::wstring> brandWord;
  // A "keep" that a later clean run takes up again (a busy or printing queue and what it holds,
  // what an earlier run failed to delete), as against one that stays for good (what another
  // maker's queue uses, a package no driver names).
  bool keptForNow = false;
  // With decision "unknown": the Windows error that kept the check from telling (5: access
  // denied).
  unsigned long error = 0;
};

struct CheckReport {
  // The configured models; empty when the brand texts choose.
  std::vector<std::wstring> models;
  std::array<std::vector<CheckedObject>, kCheckedKindCount> objects;
  // Per kind, what the reader must know about the whole section; empty for most.
  std::array<std::wstring, kCheckedKindCount> notes;

  std::vector<CheckedObject>& of(CheckedKind kind) {
    return objects[static_cast<std::size_t>(kind)];
  }
  std::wstring& noteOf(CheckedKind kind) { return notes[static_cast<std::size_t>(kind)]; }
  // Anything of the maker at all: what a clean run would remove, and what stays.
  bool foundAny() const;
};

}  // namespace kv
