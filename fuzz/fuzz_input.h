#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::fuzz {

// Reads a fuzz input from the front, so that a seed can be written down field by field. Past
// the end every read gives zeros.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Little-endian; each byte read in its own statement, in order.
  std::uint16_t u16() {
    const std::uint16_t low = byte();
    return static_cast<std::uint16_t>(low | byte() << 8);
  }
  std::uint32_t u32() {
    const std::uint32_t low = u16();
    return low | static_cast<std::uint32_t>(u16()) << 16;
  }

  // Up to `count` bytes into `target`; the rest of it stays as it was.
  void bytes(std::uint8_t* target, std::size_t count) {
    while (count-- > 0 && at_ < size_) *target++ = data_[at_++];
  }

  // The bytes up to the next `separator` (dropped) or the end.
  std::string_view field(std::uint8_t separator) {
    const std::string_view rest(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
    const std::size_t end = rest.find(static_cast<char>(separator));
    at_ += end == std::string_view::npos ? rest.size() : end + 1;
    return rest.substr(0, end);
  }

  bool empty() const { return at_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace kv::fuzz
