// The registry below HKEY_LOCAL_MACHINE on Windows, in its 64-bit view whatever the program's
// own bitness.
#include <windows.h>

#include "system/machine_registry.h"
#include "system/win_handles.h"

namespace kv {
namespace {

class WindowsMachineRegistry final : public MachineRegistry {
 public:
  std::uint32_t readString(const std::wstring& key, const std::wstring& name,
                           std::wstring& value) override {
    UniqueRegKey opened;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0,
                                   KEY_QUERY_VALUE | KEY_WOW64_64KEY, opened.put());
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    // RegGetValueW terminates the text and refuses other types; the value may grow between the
    // sizing call and the read, which then answers ERROR_MORE_DATA: size again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD bytes = 0;
      status = RegGetValueW(opened.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                            &bytes);
      if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
      std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
      bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
      status = RegGetValueW(opened.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr,
                            text.data(), &bytes);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
      text.resize(bytes / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      value = std::move(text);
      return 0;
    }
    return ERROR_MORE_DATA;
  }

  std::uint32_t writeString(const std::wstring& key, const std::wstring& name,
                            const std::wstring& value) override {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return write(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  }

  std::uint32_t writeDword(const std::wstring& key, const std::wstring& name,
                           std::uint32_t value) override {
    const DWORD data = value;
    return write(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  }

  std::uint32_t deleteKey(const std::wstring& key) override {
    return static_cast<std::uint32_t>(
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_64KEY, 0));
  }

 private:
  // KEY_SET_VALUE is all RegSetValueExW needs; creating the key needs the right to create
  // subkeys of its parent, which below HKEY_LOCAL_MACHINE\SOFTWARE only administrators have.
  static std::uint32_t write(const std::wstring& key, const std::wstring& name, DWORD type,
                             const BYTE* data, DWORD bytes) {
    UniqueRegKey created;
    LSTATUS status =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, created.put(), nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    status = RegSetValueExW(created.get(), name.c_str(), 0, type, data, bytes);
    return static_cast<std::uint32_t>(status);
  }
};

}  // namespace

MachineRegistry& platformMachineRegistry() {
  static WindowsMachineRegistry registry;
  return registry;
}

}  // namespace kv
