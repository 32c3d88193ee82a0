#pragma once

// Owners of Win32 handles, for the product's platform files and the test fixtures alike: each
// closes its handle when it goes out of scope, so every return path releases what it opened.
// Windows only; the using file links the library of the closing call (advapi32). The spooler's
// own handle lives with the spooler (spooler/unique_printer_handle_win.h).
#include <windows.h>

#include <utility>

namespace kv {

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
  // Gives up the handle without closing it, for a new owner that closes it.
  Handle release() { return std::exchange(handle_, Handle{}); }
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
// Kernel objects that CloseHandle closes: CreateFileW fails with INVALID_HANDLE_VALUE, the others
// (processes, threads, events) with null.
struct KernelHandleTraits {
  static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { CloseHandle(handle); }
};
struct ModuleTraits {
  static bool valid(HMODULE module) { return module != nullptr; }
  static void close(HMODULE module) { FreeLibrary(module); }
};

using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;
using UniqueFileHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
// A process or thread, as CreateProcessW and OpenProcess hand them out.
using UniqueProcessHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
// A DLL loaded with LoadLibraryExW (never one of GetModuleHandleW, which is not counted).
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;

}  // namespace kv
