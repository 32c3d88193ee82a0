#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

#include "system/scoped_instance.h"

namespace kv {

// Keys and values below HKEY_LOCAL_MACHINE, always in the 64-bit view (KEY_WOW64_64KEY), so
// that the 32-bit program reads and writes where the 64-bit one and Windows itself look. `key`
// is a path below HKEY_LOCAL_MACHINE ("SOFTWARE\\..."). Each operation returns 0 on success,
// else the platform's error code (2: no such key or value; 5: access denied).
class MachineRegistry {
 public:
  virtual ~MachineRegistry() = default;

  // RegGetValueW of a REG_SZ value ("" names the key's default value); a value of another type
  // fails with 13 (ERROR_INVALID_DATA).
  virtual std::uint32_t readString(const std::wstring& key, const std::wstring& name,
                                   std::wstring& value) = 0;

  // RegCreateKeyExW (the key and any missing parent), then RegSetValueExW with REG_SZ or
  // REG_DWORD.
  virtual std::uint32_t writeString(const std::wstring& key, const std::wstring& name,
                                    const std::wstring& value) = 0;
  virtual std::uint32_t writeDword(const std::wstring& key, const std::wstring& name,
                                   std::uint32_t value) = 0;

  // RegDeleteKeyExW of a key without subkeys.
  virtual std::uint32_t deleteKey(const std::wstring& key) = 0;

  // The process-wide instance: the one installed by a test, else the platform's own.
  static MachineRegistry& current();
};

// The platform's registry. The native build has none: it answers from an in-memory registry
// that lives as long as the process (MemoryMachineRegistry).
MachineRegistry& platformMachineRegistry();

using ScopedMachineRegistry = ScopedInstance<MachineRegistry>;

// A registry held in memory, for the native build and the tests: key names compared without
// regard to ASCII letter case, as Windows compares them.
class MemoryMachineRegistry : public MachineRegistry {
 public:
  using Value = std::variant<std::wstring, std::uint32_t>;
  // Values of a key by name; the keys by their name folded to lower case.
  using Key = std::map<std::wstring, Value>;

  std::uint32_t readString(const std::wstring& key, const std::wstring& name,
                           std::wstring& value) override;
  std::uint32_t writeString(const std::wstring& key, const std::wstring& name,
                            const std::wstring& value) override;
  std::uint32_t writeDword(const std::wstring& key, const std::wstring& name,
                           std::uint32_t value) override;
  std::uint32_t deleteKey(const std::wstring& key) override;

  // The values of `key`, or null when there is no such key.
  const Key* find(const std::wstring& key) const;
  // Every write fails with this code until it is 0 again.
  std::uint32_t failWrites = 0;

 private:
  std::map<std::wstring, Key> keys_;
};

}  // namespace kv
