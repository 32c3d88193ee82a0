#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

// Input records of a port monitor's "DeletePort" command, byte for byte as the monitors read
// them: little-endian 32-bit numbers, UTF-16 text (char16_t, because wchar_t is 4 bytes on
// Linux), every byte not set explicitly zero.
static_assert(std::endian::native == std::endian::little);

// The longest port name the records hold, without its terminator.
inline constexpr std::size_t kMaxRecordPortNameLength = 63;

#pragma pack(push, 1)

// The record of the Standard TCP/IP Port monitor, sent to every monitor that is not the maker's.
struct DELETE_PORT_DATA_1 {
  char16_t psztPortName[kMaxRecordPortNameLength + 1];
  std::uint8_t Reserved[98];
  std::uint8_t padding[2];
  std::uint32_t dwVersion;   // 1
  std::uint32_t dwReserved;  // 0
};

// The record of the maker's monitors "DeviceLinkMonitor" and "NetPath IO Agent". Only the first
// five fields carry our data; the monitors expect the rest with the fixed values given by
// makePortData, and what those mean is their business, hence the neutral names.
struct portdata_s {
  char16_t portName[kMaxRecordPortNameLength + 1];
  std::uint32_t version;     // 1
  std::uint32_t protocol;    // 2, or the protocol given
  std::uint32_t recordSize;  // 5040
  std::uint32_t reserved;    // 0
  std::uint8_t block144[540];
  std::uint8_t block684[2048];
  std::uint32_t value2732;  // 1
  std::uint8_t block2736[18];
  std::uint8_t block2754[36];
  std::uint8_t padding2790[2];
  std::uint32_t value2792;
  std::uint32_t value2796;
  std::uint8_t block2800[512];
  std::uint8_t block3312[64];
  std::uint8_t block3376[36];
  std::uint32_t value3412;  // 300
  std::uint32_t value3416;  // 30
  std::uint8_t block3420[512];
  std::uint8_t block3932[64];
  std::uint32_t value3996;
  std::uint8_t block4000[512];
  std::uint8_t block4512[512];
  std::uint32_t value5024;  // 9100
  std::uint32_t value5028;
  std::uint32_t value5032;
  std::uint32_t value5036;
};

#pragma pack(pop)

static_assert(sizeof(DELETE_PORT_DATA_1) == 236);
static_assert(offsetof(DELETE_PORT_DATA_1, Reserved) == 128);
static_assert(offsetof(DELETE_PORT_DATA_1, padding) == 226);
static_assert(offsetof(DELETE_PORT_DATA_1, dwVersion) == 228);
static_assert(offsetof(DELETE_PORT_DATA_1, dwReserved) == 232);

static_assert(sizeof(portdata_s) == 5040);
static_assert(offsetof(portdata_s, version) == 128);
static_assert(offsetof(portdata_s, protocol) == 132);
static_assert(offsetof(portdata_s, recordSize) == 136);
static_assert(offsetof(portdata_s, reserved) == 140);
static_assert(offsetof(portdata_s, block144) == 144);
static_assert(offsetof(portdata_s, block684) == 684);
static_assert(offsetof(portdata_s, value2732) == 2732);
static_assert(offsetof(portdata_s, block2736) == 2736);
static_assert(offsetof(portdata_s, block2754) == 2754);
static_assert(offsetof(portdata_s, padding2790) == 2790);
static_assert(offsetof(portdata_s, value2792) == 2792);
static_assert(offsetof(portdata_s, value2796) == 2796);
static_assert(offsetof(portdata_s, block2800) == 2800);
static_assert(offsetof(portdata_s, block3312) == 3312);
static_assert(offsetof(portdata_s, block3376) == 3376);
static_assert(offsetof(portdata_s, value3412) == 3412);
static_assert(offsetof(portdata_s, value3416) == 3416);
static_assert(offsetof(portdata_s, block3420) == 3420);
static_assert(offsetof(portdata_s, block3932) == 3932);
static_assert(offsetof(portdata_s, value3996) == 3996);
static_assert(offsetof(portdata_s, block4000) == 4000);
static_assert(offsetof(portdata_s, block4512) == 4512);
static_assert(offsetof(portdata_s, value5024) == 5024);
static_assert(offsetof(portdata_s, value5028) == 5028);
static_assert(offsetof(portdata_s, value5032) == 5032);
static_assert(offsetof(portdata_s, value5036) == 5036);

// The protocol a portdata_s carries when none is given.
inline constexpr std::uint32_t kDefaultPortProtocol = 2;

// The records with their fixed values and the port name. A name longer than
// kMaxRecordPortNameLength is cut there (callers refuse such names before); the name field is
// always terminated.
DELETE_PORT_DATA_1 makeDeletePortData1(std::u16string_view portName);
portdata_s makePortData(std::u16string_view portName, std::uint32_t protocol);

}  // namespace kv
