// The note of pending removals, which a run reads from the all-users folder. Checked: what is
// read is written back to bytes that read as the same entries, and those bytes are exactly what
// writing them gives again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/pending_removals_note.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto entries = kv::decodePendingRemovals(bytes);
  if (!entries) return 0;
  const std::string written = kv::encodePendingRemovals(*entries);
  const auto again = kv::decodePendingRemovals(written);
  if (!again || *again != *entries || kv::encodePendingRemovals(*again) != written) std::abort();
  return 0;
}
