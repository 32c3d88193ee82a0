#include "expected_records.h"

namespace kv::winetest {
namespace {

void putNumber(std::vector<std::uint8_t>& record, std::size_t offset, std::uint32_t value) {
  for (int byte = 0; byte < 4; ++byte) {
    record.at(offset + byte) = static_cast<std::uint8_t>(value >> (8 * byte));
  }
}

// UTF-16 little-endian from offset 0; the terminator is one of the zero bytes already there.
void putName(std::vector<std::uint8_t>& record, const std::wstring& port) {
  for (std::size_t index = 0; index < port.size(); ++index) {
    const auto unit = static_cast<std::uint16_t>(port[index]);
    record.at(2 * index) = static_cast<std::uint8_t>(unit & 0xFF);
    record.at(2 * index + 1) = static_cast<std::uint8_t>(unit >> 8);
  }
}

}  // namespace

std::vector<std::uint8_t> expectedPortData(const std::wstring& port, std::uint32_t protocol) {
  std::vector<std::uint8_t> record(5040, 0);
  putName(record, port);
  putNumber(record, 128, 1);
  putNumber(record, 132, protocol != 0 ? protocol : 2);
  putNumber(record, 136, 5040);
  putNumber(record, 2732, 1);
  putNumber(record, 3412, 300);
  putNumber(record, 3416, 30);
  putNumber(record, 5024, 9100);
  return record;
}

std::vector<std::uint8_t> expectedDeletePortData1(const std::wstring& port) {
  std::vector<std::uint8_t> record(236, 0);
  putName(record, port);
  putNumber(record, 228, 1);
  return record;
}

}  // namespace kv::winetest
