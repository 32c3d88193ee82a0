#pragma once

#include <filesystem>
#include <string>

namespace kv::test {

// This test program's own folder under the system's temporary directory, unique per process, so
// that two suites on one machine never meet. A death test's child (a new process on Windows, or
// with the threadsafe style) finds its parent's folder through the environment, so names below it
// that a test fixes are shared by exactly those two processes. Removed when the parent ends.
const std::filesystem::path& runFolder();

// A fresh directory below runFolder(), removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // `name` inside the directory, as the wide path the cleaner's own code takes ("\" on Windows).
  std::wstring child(const std::wstring& name) const;
  std::wstring wide() const;

 private:
  std::filesystem::path path_;
};

}  // namespace kv::test
