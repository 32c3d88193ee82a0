#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace kv::test {
namespace {

constexpr char kRunFolderVariable[] = "KV_TEST_RUN_FOLDER";

long processNumber() {
#ifdef _WIN32
  return _getpid();
#else
  return getpid();
#endif
}

void exportRunFolder(const std::string& value) {
#ifdef _WIN32
  _putenv_s(kRunFolderVariable, value.c_str());
#else
  setenv(kRunFolderVariable, value.c_str(), 1);
#endif
}

// Made by the first process of a test program; its children, forked or started anew, leave the
// folder to it.
class RunFolder {
 public:
  RunFolder() {
    if (const char* inherited = std::getenv(kRunFolderVariable); inherited && *inherited) {
      path_ = inherited;
      return;
    }
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("kvtest_" + std::to_string(processNumber()) + "_" + std::to_string(stamp));
    std::filesystem::create_directories(path_);
    owner_ = processNumber();
    exportRunFolder(path_.string());
  }
  ~RunFolder() {
    // A forked death test's child ends through exit() with a copy of this object.
    if (owner_ != processNumber()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  long owner_ = -1;
};

}  // namespace

const std::filesystem::path& runFolder() {
  static const RunFolder folder;
  return folder.path();
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  // A death test's child runs the body again with a counter of its own: the process number keeps
  // its folders apart from its parent's.
  path_ = runFolder() / (std::to_string(processNumber()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDir::wide() const { return path_.wstring(); }

std::wstring TempDir::child(const std::wstring& name) const { return (path_ / name).wstring(); }

}  // namespace kv::test
