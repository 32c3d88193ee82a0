#pragma once

// Owners of the Windows handles the test fixtures open: each closes its handle when it goes out
// of scope, so every return path of a fixture releases what it opened.
#include <windows.h>
#include <winspool.h>

#include <utility>

namespace kv::tools {

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Handle{});
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::valid(handle_); }
  // For the output argument of an opening call; releases what was held before.
  Handle* put() {
    reset();
    return &handle_;
  }
  void reset() {
    if (Traits::valid(handle_)) Traits::close(handle_);
    handle_ = Handle{};
  }

 private:
  Handle handle_{};
};

struct RegKeyTraits {
  static bool valid(HKEY key) { return key != nullptr; }
  static void close(HKEY key) { RegCloseKey(key); }
};
struct PrinterHandleTraits {
  static bool valid(HANDLE handle) { return handle != nullptr; }
  static void close(HANDLE handle) { ClosePrinter(handle); }
};
struct FileHandleTraits {
  static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};

using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using PrinterHandle = UniqueHandle<HANDLE, PrinterHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;

}  // namespace kv::tools
