#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/system_services.h"

namespace kv {

// An uninstaller that ended with 3010 (restart required) or 1641 (restart started) leaves its
// work to the next restart. The cleaner records that beside the note of pending removals, as the
// REG_MULTI_SZ value kRestartOwedValue of kMachineValuesKey: the time of the first such uninstaller
// (UTC, "2026-12-08T01:20:22Z"), then the product names. It is owed until the PC has restarted
// since; kvcheck reports it and the next clean run after the restart clears it.
inline constexpr wchar_t kRestartOwedValue[] = L"RestartRequired";

struct RestartOwed {
  bool recorded = false;  // a record is there
  bool required = false;  // and the PC has not restarted since it was written
  std::wstring since;
  std::vector<std::wstring> products;
};

// "YYYY-MM-DDTHH:MM:SSZ" of a UTC time, and seconds since 1970-01-01 of one.
std::wstring isoUtcText(const LocalTime& utc);
std::int64_t utcSeconds(const LocalTime& utc);
// The seconds of such a text; nullopt for anything else.
std::optional<std::int64_t> isoUtcSeconds(std::wstring_view text);

// The rule: a restart recorded at `recordedSeconds` is still owed when the system started
// (`nowSeconds` less `millisecondsSinceStart`) no later than that.
bool restartStillOwed(std::int64_t recordedSeconds, std::int64_t nowSeconds,
                      std::uint64_t millisecondsSinceStart);

// The record as SystemServices::current() holds it, with the rule applied. A record without a
// readable time is taken as settled.
RestartOwed readRestartOwed();

// Adds `product` to the record (made with the current time when there is none). False when the
// value could not be written.
bool recordRestartOwed(const std::wstring& product);

}  // namespace kv
