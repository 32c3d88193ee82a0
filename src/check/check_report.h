#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "system/system_services.h"

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
  DriverPackages,
  PendingRemovals,
  UnreachedDrivers,
};
inline constexpr std::size_t kCheckedKindCount = 9;

// The key of a kind in the JSON document and the title of its section in the table.
const char* jsonKeyOf(CheckedKind kind);
const wchar_t* titleOf(CheckedKind kind);

struct CheckedObject {
  CheckedObject() = default;
  explicit CheckedObject(std::wstring objectName, std::wstring objectDecision = {})
      : name(std::move(objectName)), decision(std::move(objectDecision)) {}

  std::wstring name;
  // "uninstall", "disconnect", "delete", "take" or "keep"; "unreached" for what no clean run
  // gets to; "unknown" when the check could not tell (the table shows "cannot tell").
  std::wstring decision;
  std::wstring why;
  // Further facts by name ("driver", "port", "monitor", "route", "protocol", "command",
  // "environment", "storePath", "provider", "models", "usedBy"), in the order they are shown.
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

// The decisions in the order the counts name them.
inline constexpr const wchar_t* kDecisions[] = {L"uninstall", L"disconnect", L"delete", L"take",
                                                L"keep",      L"unreached",  L"unknown"};

// Whether a clean run with the same options would still change the object: remove it, or try
// again what it keeps for now. Whatever the check could not tell counts as a change, so that
// such a PC is never reported clean.
bool cleanRunChanges(const CheckedObject& object);

// Who looked at which PC, when, with what.
struct CheckHead {
  std::wstring computer;
  std::wstring time;  // UTC, ISO 8601 with seconds and Z
  std::wstring version;
  ProcessAccount account;
  std::wstring windowsVersion;
  MachineKind nativeMachine = MachineKind::Unknown;
};

struct CheckReport {
  CheckHead head;
  // The configured models; empty when the brand texts choose.
  std::vector<std::wstring> models;
  // Set when -F names a file that names no model: the line the table begins with.
  std::optional<std::wstring> modelsNote;
  // What the check ends with (check_exit_codes.h), and when it could not finish, the line it
  // wrote on standard error (the object lists are then empty).
  int exitCode = 0;
  std::wstring failure;
  std::array<std::vector<CheckedObject>, kCheckedKindCount> objects;
  // An uninstaller ended with 3010 or 1641 and the PC has not restarted since: when the first
  // did (UTC, ISO 8601) and the products.
  bool restartRequired = false;
  std::wstring restartSince;
  std::vector<std::wstring> restartProducts;
  // Per kind, what the reader must know about the whole section; empty for most.
  std::array<std::wstring, kCheckedKindCount> notes;

  std::vector<CheckedObject>& of(CheckedKind kind) {
    return objects[static_cast<std::size_t>(kind)];
  }
  std::wstring& noteOf(CheckedKind kind) { return notes[static_cast<std::size_t>(kind)]; }
  // Anything of the maker at all: what a clean run would remove, and what stays.
  bool foundAny() const;
  // 0 when nothing of the maker is there, 113 when all of it stays, 114 when a clean run would
  // still change something.
  int findingsExitCode() const;
  // Per decision of kDecisions, how many objects of the kind have it.
  std::array<std::size_t, std::size(kDecisions)> countsOf(CheckedKind kind) const;
};

}  // namespace kv
