#pragma once

#include <filesystem>
#include <string>

namespace kv::test {

// A fresh directory under the system's temporary directory, removed with everything in it.
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
