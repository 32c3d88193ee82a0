#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The note a cleaning run keeps of the ports and drivers it is about to remove, a machine value
// of the cleaner's. Queues go first, and later runs find ports and drivers only through queues,
// so a run cut short after its queues would otherwise leave them for good.
inline constexpr wchar_t kPendingRemovalsValueName[] = L"PendingRemovals";

// The driver and the port text of one of the maker's queues, and why they are still there.
struct PendingRemoval {
  std::wstring driver;
  std::wstring port;
  // Only the port is left: the driver went, so no run deletes it again. The driver's name stays
  // for the filter that decides which run takes the entry.
  bool portOnly = false;
  // The Windows error of the last failed deletion, and when the first one failed (UTC, ISO 8601);
  // 0 and empty when no run failed on it yet (it was noted before the queue went).
  std::uint32_t lastError = 0;
  std::wstring failingSince = {};
  // A driver store package the run failed to remove: `driver` holds its published name
  // ("oem12.inf") and `port` its store path.
  bool package = false;

  bool operator==(const PendingRemoval&) const = default;
};

// The note's bytes: UTF-8 text, a header line ("... 3" when an entry is a package's, else
// "... 2"), then a line for each entry with the driver, the
// port, "port", "both" (what is left) or "package", the error code in decimal and the time,
// separated by tabs, lines ended by CR LF. A '%', tab, CR or LF within a name is written as
// "%25", "%09", "%0D" or "%0A", and a surrogate without its partner (which UTF-8 cannot carry) as
// "%u" and its four upper-case hex digits ("%uD800"), so any name comes back unit for unit.
std::string encodePendingRemovals(const std::vector<PendingRemoval>& entries);

// Adds the line of one entry to bytes that encodePendingRemovals began, so that a long list is
// written without a copy of its names. Not for a package's entry, which the header must announce.
void appendPendingRemoval(std::string& bytes, const PendingRemoval& entry);

// The entries of such a note, or of one an older cleaner wrote (header "... 2": no packages;
// header "... 1": driver and port only, both left); nullopt when the bytes are not one (another
// header, a line without its fields, an unknown escape, a "%u" escape of anything but a surrogate,
// an error code that is not a decimal number of 32 bits). A last line may lack its line end; LF
// alone ends a line as well.
std::optional<std::vector<PendingRemoval>> decodePendingRemovals(std::string_view bytes);

}  // namespace kv
