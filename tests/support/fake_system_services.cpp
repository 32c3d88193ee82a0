#include "support/fake_system_services.h"

#include "system/multi_string.h"

namespace kv::test {

FakeSystemServices::FakeSystemServices()
    : SystemServicesWrapper(platformSystemServices()), installed_(*this) {}

std::optional<std::wstring> FakeSystemServices::environmentVariable(const std::wstring& name) {
  const auto found = environment.find(name);
  if (found == environment.end() || found->second.empty()) return std::nullopt;
  return found->second;
}

int FakeSystemServices::messageBox(const std::wstring& text, const std::wstring& caption,
                                   std::uint32_t style) {
  shownBoxes.push_back({text, caption, style});
  return messageBoxResult;
}

bool FakeSystemServices::isReparsePoint(const std::wstring& path) {
  return reparsePoints.contains(path) || SystemServicesWrapper::isReparsePoint(path);
}

MachineValueRead FakeSystemServices::readMachineValue(const std::wstring& name, std::string& data) {
  if (unreadableValues.contains(name)) return MachineValueRead::Failed;
  if (deniedValues.contains(name)) return MachineValueRead::Denied;
  const auto found = machineValues.find(name);
  if (found == machineValues.end()) return MachineValueRead::Missing;
  data = found->second;
  return MachineValueRead::Read;
}

MachineValueRead FakeSystemServices::machineValueShape(const std::wstring& name,
                                                       MachineValueShape& shape) {
  std::string data;
  const MachineValueRead read = readMachineValue(name, data);
  if (read != MachineValueRead::Read) return read;
  const auto type = machineValueTypes.find(name);
  shape.type = type == machineValueTypes.end() ? MachineValueType::Binary : type->second;
  shape.size = data.size();
  return read;
}

bool FakeSystemServices::writeMachineValue(const std::wstring& name, const std::string& data) {
  machineValues[name] = data;
  machineValueTypes.erase(name);
  return true;
}

bool FakeSystemServices::writeMachineTexts(const std::wstring& name,
                                           const std::vector<std::wstring>& texts) {
  machineValues[name] = multiStringBytes(texts);
  machineValueTypes[name] = MachineValueType::Texts;
  return true;
}

bool FakeSystemServices::deleteMachineValue(const std::wstring& name) {
  if (undeletableValues.contains(name)) return false;
  machineValues.erase(name);
  machineValueTypes.erase(name);
  return true;
}

}  // namespace kv::test
