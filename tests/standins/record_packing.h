#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// Lays out spooler records the way winspool does: an array of fixed records at the start of the
// caller's buffer and the texts they point at packed behind the array. Without a buffer it only
// counts the bytes, so one fill routine serves both the sizing and the copy.
class TextPacker {
 public:
  // Counting only.
  TextPacker() = default;
  // Writing texts from `begin` on; the caller has checked that everything fits.
  explicit TextPacker(std::uint8_t* begin) : next_(begin) {}

  wchar_t* put(const std::optional<std::wstring>& text) {
    if (!text) return nullptr;
    const std::size_t bytes = (text->size() + 1) * sizeof(wchar_t);
    bytes_ += bytes;
    if (next_ == nullptr) return nullptr;
    auto* placed = reinterpret_cast<wchar_t*>(next_);
    std::memcpy(placed, text->c_str(), bytes);
    next_ += bytes;
    return placed;
  }

  std::size_t bytes() const { return bytes_; }

 private:
  std::uint8_t* next_ = nullptr;
  std::size_t bytes_ = 0;
};

// Outcome of packing records into a caller's buffer.
enum class PackResult { Packed, BufferTooSmall };

// Packs one Record per item, filled by `fill(item, record, packer)`. Sets *needed to the bytes
// the whole answer takes (saturated at the largest 32-bit value) and *returned to the number of
// records placed; nothing is written when the buffer is too small. An empty answer fits any
// buffer, even none, as with winspool.
template <typename Record, typename Item, typename Fill>
PackResult packRecords(const std::vector<Item>& items, Fill fill, std::uint8_t* buffer,
                       std::uint32_t bufferSize, std::uint32_t* needed, std::uint32_t* returned) {
  TextPacker counter;
  for (const Item& item : items) {
    Record record{};
    fill(item, record, counter);
  }
  const std::size_t total = items.size() * sizeof(Record) + counter.bytes();
  constexpr std::size_t largest = std::numeric_limits<std::uint32_t>::max();
  *needed = static_cast<std::uint32_t>(total < largest ? total : largest);
  *returned = 0;
  if (total > bufferSize || (buffer == nullptr && total > 0)) return PackResult::BufferTooSmall;

  TextPacker writer(buffer + items.size() * sizeof(Record));
  for (std::size_t i = 0; i < items.size(); ++i) {
    Record record{};
    fill(items[i], record, writer);
    std::memcpy(buffer + i * sizeof(Record), &record, sizeof(Record));
  }
  *returned = static_cast<std::uint32_t>(items.size());
  return PackResult::Packed;
}

}  // namespace kv
