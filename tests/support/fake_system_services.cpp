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

bool FakeSystemServices::writeMachineValue(const std::wstring& name, const std::string& data) {
  machineValues[name] = data;
  return true;
}

bool FakeSystemServices::writeMachineTexts(const std::wstring& name,
                                           const std::vector<std::wstring>& texts) {
  machineValues[name] = multiStringBytes(texts);
  return true;
}

bool FakeSystemServices::deleteMachineValue(const std::wstring& name) {
  machineValues.erase(name);
  return true;
}

}  // namespace kv::test
