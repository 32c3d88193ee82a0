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
  Queues,
  Ports,
  Drivers,
  PendingRemovals,
  UnreachedDrivers,
};
inline constexpr std::size_t kCheckedKindCount = 7;

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
