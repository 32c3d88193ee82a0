#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "spooler/print_spooler.h"
#include "spooler/spooler_buffer.h"

namespace kv {

// One call of a spooler enumeration: buffer (or null), its size, and where the spooler puts the
// needed size and the record count.
using EnumerationCall = std::function<bool(std::uint8_t* buffer, std::uint32_t bufferSize,
                                           std::uint32_t* needed, std::uint32_t* returned)>;

// Who enumerates, for the failure reports.
struct EnumerationSite {
  const wchar_t* functionName;
  const wchar_t* apiName;  // the platform call, as the trace names it
  std::int32_t allocationLine;
  std::int32_t callLine;
};

// The records an enumeration returned, in the buffer they point into.
class EnumerationAnswer {
 public:
  EnumerationAnswer(SpoolerBuffer buffer, std::uint32_t count)
      : buffer_(std::move(buffer)), count_(count) {}

  // How many records of this kind the answer holds: the count the spooler gave, cut to what the
  // buffer holds.
  template <typename Record>
  std::size_t count() const {
    const std::size_t fitting = buffer_.size() / sizeof(Record);
    return count_ < fitting ? count_ : fitting;
  }

  // Calls `visit` with each record in turn. The records are read one at a time where they lie:
  // a copy of them all would be a second answer beside the first.
  template <typename Record, typename Visit>
  void forEachRecord(Visit visit) const {
    const std::size_t records = count<Record>();
    for (std::size_t i = 0; i < records; ++i) {
      Record record;
      std::memcpy(&record, buffer_.data() + i * sizeof(Record), sizeof(Record));
      visit(record);
    }
  }

  // The text a record points at, read no further than the buffer's end. Empty for a null
  // pointer and for one that does not point at a whole character inside the buffer (the
  // spooler's own pointers always do).
  std::wstring text(const wchar_t* pointer) const { return std::wstring(view(pointer)); }
  // The same text where it lies, valid while the answer lives.
  std::wstring_view view(const wchar_t* pointer) const;

 private:
  SpoolerBuffer buffer_;
  std::uint32_t count_;
};

// How often a listing is asked with a buffer before growth between the calls counts as failure.
inline constexpr int kEnumerationAttempts = 4;

// The two-call sizing every enumeration uses: ask with no buffer for the size, allocate that
// plus 8 bytes, ask again. Objects added between the calls make that call fail with 122 and give
// the new size: it is asked again with room for that, kEnumerationAttempts times in all, before
// the 122 counts. A failure is reported at the site's lines and gives no answer.
std::optional<EnumerationAnswer> enumerateWithSizing(PrintSpooler& spooler,
                                                     const EnumerationCall& call,
                                                     const EnumerationSite& site);

}  // namespace kv
