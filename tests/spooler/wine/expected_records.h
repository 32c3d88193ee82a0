#pragma once

// The "DeletePort" input records a port monitor should receive, built byte by byte from the
// record tables on their own, so that they check the product's packed structures rather than
// repeat them.
#include <cstdint>
#include <string>
#include <vector>

namespace kv::winetest {

// The 5040-byte record of the maker's monitors; protocol 0 leaves the default 2.
std::vector<std::uint8_t> expectedPortData(const std::wstring& port, std::uint32_t protocol);

// The 236-byte DELETE_PORT_DATA_1 of every other monitor.
std::vector<std::uint8_t> expectedDeletePortData1(const std::wstring& port);

}  // namespace kv::winetest
