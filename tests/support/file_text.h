#pragma once

#include <filesystem>
#include <string>

namespace kv::test {

// The bytes of a file; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& path);

// Writes `bytes` to a file, replacing it.
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace kv::test
