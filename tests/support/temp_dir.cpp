#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace kv::test {
TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("kvtest_" + std::to_string(stamp) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDir::wide() const { return path_.wstring(); }

std::wstring TempDir::child(const std::wstring& name) const { return (path_ / name).wstring(); }

}  // namespace kv::test
