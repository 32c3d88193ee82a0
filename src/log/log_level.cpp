#include "log/log_level.h"

#include <cwctype>
#include <iterator>

namespace kv {

LogLevel levelFromName(const std::wstring& name) {
  struct Named {
    const wchar_t* name;
    LogLevel level;
  };
  static constexpr Named kLevels[] = {
      {L"OFF", LogLevel::Off},     {L"FATAL", LogLevel::Fatal},     {L"ERROR", LogLevel::Error},
      {L"WARN", LogLevel::Warn},   {L"WARNING", LogLevel::Warning}, {L"INFO", LogLevel::Info},
      {L"DEBUG", LogLevel::Debug}, {L"ALL", LogLevel::All},
  };
  std::wstring upper = name;
  // Upper-cased under the C locale that start-up set to the user's default.
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  for (const Named& entry : kLevels) {
    if (upper == entry.name) return entry.level;
  }
  return LogLevel::Info;
}

}  // namespace kv
