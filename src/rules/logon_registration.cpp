#include "rules/logon_registration.h"

#include <array>
#include <cwchar>

#include "system/machine_registry.h"

namespace kv {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;

using VersionParts = std::array<unsigned long, 4>;

std::optional<VersionParts> versionParts(const std::wstring& text) {
  VersionParts parts{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t end = i + 1 < parts.size() ? text.find(L',', at) : text.size();
    if (end == std::wstring::npos || end == at || end - at > 9) return std::nullopt;
    for (std::size_t c = at; c < end; ++c) {
      if (text[c] < L'0' || text[c] > L'9') return std::nullopt;
    }
    parts[i] = std::wcstoul(text.substr(at, end - at).c_str(), nullptr, 10);
    at = end + 1;
  }
  return parts;
}

std::wstring versionText(const VersionParts& parts) {
  return std::to_wstring(parts[0]) + L"," + std::to_wstring(parts[1]) + L"," +
         std::to_wstring(parts[2]) + L"," + std::to_wstring(parts[3]);
}

// The quoted value after `option` in a stub path, or nullopt.
std::optional<std::wstring> quotedAfter(const std::wstring& stubPath, const wchar_t* option) {
  const std::wstring marker = std::wstring(L" ") + option + L" \"";
  const std::size_t start = stubPath.find(marker);
  if (start == std::wstring::npos) return std::nullopt;
  const std::size_t valueAt = start + marker.size();
  const std::size_t end = stubPath.find(L'"', valueAt);
  if (end == std::wstring::npos) return std::nullopt;
  return stubPath.substr(valueAt, end - valueAt);
}

}  // namespace

std::optional<LogonRegistration> readLogonRegistration(std::uint32_t& error) {
  MachineRegistry& registry = MachineRegistry::current();
  LogonRegistration registration;
  error = registry.readString(kLogonRegistrationKey, L"StubPath", registration.stubPath);
  if (error == 0)
    error = registry.readString(kLogonRegistrationKey, L"Version", registration.version);
  if (error == kErrorFileNotFound) error = 0;
  if (error != 0 || registration.stubPath.empty()) return std::nullopt;
  return registration;
}

bool commandLineValueFits(const std::wstring& value) {
  // A backslash before the closing quote would escape it.
  return value.find(L'"') == std::wstring::npos && (value.empty() || value.back() != L'\\');
}

std::wstring logonStubPath(const std::wstring& programPath,
                           const std::optional<std::wstring>& configFile,
                           const std::optional<std::wstring>& models) {
  std::wstring stub = L"\"" + programPath + L"\" -C";
  if (configFile) stub += L" -F \"" + *configFile + L"\"";
  if (models) stub += L" -M \"" + *models + L"\"";
  return stub;
}

std::wstring registeredChoice(const std::wstring& stubPath) {
  if (const std::optional<std::wstring> models = quotedAfter(stubPath, L"-M")) {
    return L"models " + *models;
  }
  if (const std::optional<std::wstring> file = quotedAfter(stubPath, L"-F")) {
    return L"the models of " + *file;
  }
  return L"the maker's brand texts";
}

std::wstring nextLogonVersion(const std::wstring& current, const LocalTime& now) {
  const VersionParts clock{static_cast<unsigned long>(now.year),
                           static_cast<unsigned long>(now.month * 100 + now.day),
                           static_cast<unsigned long>(now.hour * 100 + now.minute),
                           static_cast<unsigned long>(now.second)};
  const std::optional<VersionParts> before = versionParts(current);
  if (!before || clock > *before) return versionText(clock);
  VersionParts raised = *before;
  ++raised[3];
  return versionText(raised);
}

}  // namespace kv
