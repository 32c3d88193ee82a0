#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv::test {

// Builds a record byte by byte, from offsets alone, to compare with what the wrappers send.
class RecordBytes {
 public:
  explicit RecordBytes(std::size_t size) : bytes_(size, 0) {}

  RecordBytes& u32(std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    return *this;
  }

  // UTF-16 little-endian units; the terminator is one of the zero bytes already there.
  RecordBytes& text(std::size_t offset, const std::u16string& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
      bytes_.at(offset + 2 * i) = static_cast<std::uint8_t>(units[i] & 0xFF);
      bytes_.at(offset + 2 * i + 1) = static_cast<std::uint8_t>(units[i] >> 8);
    }
    return *this;
  }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The "DeletePort" record of every monitor that is not the maker's.
inline std::vector<std::uint8_t> expectedDeletePortData1(const std::u16string& portName) {
  return RecordBytes(236).text(0, portName).u32(228, 1).bytes();
}

// The "DeletePort" record of the maker's monitors.
inline std::vector<std::uint8_t> expectedPortData(const std::u16string& portName,
                                                  std::uint32_t protocol) {
  return RecordBytes(5040)
      .text(0, portName)
      .u32(128, 1)
      .u32(132, protocol)
      .u32(136, 5040)
      .u32(2732, 1)
      .u32(3412, 300)
      .u32(3416, 30)
      .u32(5024, 9100)
      .bytes();
}

}  // namespace kv::test
