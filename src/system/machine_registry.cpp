#include "system/machine_registry.h"

namespace kv {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorInvalidData = 13;

std::wstring folded(const std::wstring& key) {
  std::wstring lower = key;
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}

}  // namespace

MachineRegistry& MachineRegistry::current() {
  return currentInstance<MachineRegistry>(platformMachineRegistry);
}

std::uint32_t MemoryMachineRegistry::readString(const std::wstring& key, const std::wstring& name,
                                                std::wstring& value) {
  const Key* values = find(key);
  if (values == nullptr) return kErrorFileNotFound;
  const auto found = values->find(name);
  if (found == values->end()) return kErrorFileNotFound;
  const std::wstring* text = std::get_if<std::wstring>(&found->second);
  if (text == nullptr) return kErrorInvalidData;
  value = *text;
  return 0;
}

std::uint32_t MemoryMachineRegistry::writeString(const std::wstring& key, const std::wstring& name,
                                                 const std::wstring& value) {
  if (failWrites != 0) return failWrites;
  keys_[folded(key)][name] = value;
  return 0;
}

std::uint32_t MemoryMachineRegistry::writeDword(const std::wstring& key, const std::wstring& name,
                                                std::uint32_t value) {
  if (failWrites != 0) return failWrites;
  keys_[folded(key)][name] = value;
  return 0;
}

std::uint32_t MemoryMachineRegistry::deleteKey(const std::wstring& key) {
  if (failWrites != 0) return failWrites;
  return keys_.erase(folded(key)) == 1 ? 0 : kErrorFileNotFound;
}

const MemoryMachineRegistry::Key* MemoryMachineRegistry::find(const std::wstring& key) const {
  const auto found = keys_.find(folded(key));
  return found != keys_.end() ? &found->second : nullptr;
}

}  // namespace kv
