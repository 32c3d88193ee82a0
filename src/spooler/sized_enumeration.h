#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

  // Copies of the records. A count that the buffer cannot hold is cut to what it holds.
  template <typename Record>
  std::vector<Record> records() const {
    const std::size_t fitting = buffer_.size() / sizeof(Record);
    const std::size_t count = count_ < fitting ? count_ : fitting;
    std::vector<Record> copies(count);
    if (count > 0) std::memcpy(copies.data(), buffer_.data(), count * sizeof(Record));
    return copies;
  }

  // The text a record points at, read no further than the buffer's end. Empty for a null
  // pointer and for one that does not point at a whole character inside the buffer (the
  // spooler's own pointers always do).
  std::wstring text(const wchar_t* pointer) const;

 private:
  SpoolerBuffer buffer_;
  std::uint32_t count_;
};

// The two-call sizing every enumeration uses: ask with no buffer for the size, allocate that
// plus 8 bytes, ask again. There is no retry: objects added between the calls make the second
// call fail with 122. A failure is reported at the site's lines and gives no answer.
std::optional<EnumerationAnswer> enumerateWithSizing(PrintSpooler& spooler,
                                                     const EnumerationCall& call,
                                                     const EnumerationSite& site);

}  // namespace kv
