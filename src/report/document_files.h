#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "report/utc_time.h"

namespace kv {

// Larger files are not read: a kvcheck document of even a crowded PC is a few hundred KB.
inline constexpr std::uintmax_t kLargestDocumentBytes = 10 * 1024 * 1024;

// One *.json file found below a folder (the name's case does not matter).
struct FoundFile {
  std::filesystem::path path;
  // The computer a document without one belongs to: the name of the folder holding the file
  // when that is below the folder searched (a share of one folder per PC), else the file's name
  // without ".json".
  std::string computerByPlace;
  std::optional<UtcSeconds> modified;
};

// Calls `onFile` for each regular *.json file below `folder` (recursively), one at a time, and
// `onUnread` with a path and a reason for what cannot be looked at: a folder that cannot be
// listed, a *.json that is no regular file or a broken link.
void forEachJsonFile(
    const std::filesystem::path& folder, const std::function<void(const FoundFile&)>& onFile,
    const std::function<void(const std::filesystem::path&, const std::string&)>& onUnread);

// The whole file into `bytes`, or the reason it is not read: "could not be read", "larger than
// 10 MB".
std::optional<std::string> readDocumentBytes(const std::filesystem::path& path, std::string& bytes);

}  // namespace kv
