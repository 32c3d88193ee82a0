#include "report/document_files.h"

#include <chrono>
#include <fstream>
#include <system_error>

#include "report/kvcheck_document.h"
#include "report/report_options.h"

namespace kv {
namespace fs = std::filesystem;
namespace {

constexpr int kDeepestFolder = 64;

bool isJsonName(const fs::path& path) {
  const std::string extension = pathText(path.extension());
  if (extension.size() != 5) return false;
  std::string lower;
  for (const char c : extension) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return lower == ".json";
}

std::optional<UtcSeconds> modificationTime(const fs::directory_entry& entry) {
  std::error_code error;
  const fs::file_time_type time = entry.last_write_time(error);
  if (error) return std::nullopt;
  const auto system = std::chrono::file_clock::to_sys(time);
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// Folder by folder, so that one that cannot be listed is one row and the walk goes on. Links to
// folders are not followed: a link to a folder above would never end.
void walkFolder(const fs::path& folder, int depth,
                const std::function<void(const FoundFile&)>& onFile,
                const std::function<void(const fs::path&, const std::string&)>& onUnread) {
  if (depth > kDeepestFolder) {
    onUnread(folder, "folders nested too deep");
    return;
  }
  std::error_code error;
  fs::directory_iterator walk(folder, error);
  if (error) {
    onUnread(folder, "the folder could not be listed");
    return;
  }
  for (const fs::directory_iterator end; walk != end; walk.increment(error)) {
    const fs::directory_entry& entry = *walk;
    std::error_code typeError;
    if (entry.is_directory(typeError)) {
      if (!entry.is_symlink(typeError)) walkFolder(entry.path(), depth + 1, onFile, onUnread);
      continue;
    }
    if (!isJsonName(entry.path())) continue;
    if (!entry.is_regular_file(typeError)) {
      onUnread(entry.path(), typeError ? "could not be read" : "not a regular file");
      continue;
    }
    FoundFile found{entry.path(), "", modificationTime(entry)};
    found.computerByPlace = shownText(
        pathText(depth > 0 ? entry.path().parent_path().filename() : entry.path().stem()));
    onFile(found);
  }
  if (error) onUnread(folder, "the folder could not be listed to its end");
}

}  // namespace

void forEachJsonFile(const fs::path& folder, const std::function<void(const FoundFile&)>& onFile,
                     const std::function<void(const fs::path&, const std::string&)>& onUnread) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    onUnread(folder, "not a folder that can be read");
    return;
  }
  walkFolder(folder, 0, onFile, onUnread);
}

std::optional<std::string> readDocumentBytes(const fs::path& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "could not be read";
  bytes.clear();
  char chunk[65536];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    if (bytes.size() + static_cast<std::size_t>(file.gcount()) > kLargestDocumentBytes) {
      return "larger than 10 MB";
    }
    bytes.append(chunk, static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return "could not be read";
  return std::nullopt;
}

}  // namespace kv
