#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "system/system_services.h"

namespace kv {

// kvdisconnect's registration with Windows' per-user component set-up (Active Setup): at each
// user's next logon Windows runs the key's StubPath once in that user's session, and again only
// when the key's Version rises above the one the user's profile records. kvdisconnect writes it
// (-R) and removes it (-U); kvcheck reports it.
inline constexpr wchar_t kLogonRegistrationKey[] =
    L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\"
    L"{E7E02551-9C08-40EE-9874-0A6C6DFC78AA}";
// The key's default value, the name Windows shows while it runs the component.
inline constexpr wchar_t kLogonRegistrationName[] =
    L"KVTool: removing the maker's printer connections";

struct LogonRegistration {
  std::wstring stubPath;
  std::wstring version;
};

// The registration as it stands in the 64-bit view; nullopt when there is none. `error` is 0, or
// the code of a read that failed for another reason than a missing key or value.
std::optional<LogonRegistration> readLogonRegistration(std::uint32_t& error);

// The command Windows is to run: the program's path in quotes, "-C", then "-F" with the file or
// "-M" with the models, each in quotes. Values holding a quote cannot be passed and are refused
// by the caller (commandLineValueFits).
std::wstring logonStubPath(const std::wstring& programPath,
                           const std::optional<std::wstring>& configFile,
                           const std::optional<std::wstring>& models);
bool commandLineValueFits(const std::wstring& value);

// What a stub path of logonStubPath chooses by, for a report: "models A|B", "the models of
// <file>", or "the maker's brand texts".
std::wstring registeredChoice(const std::wstring& stubPath);

// The Version of a new registration, four numbers "a,b,c,d" as Windows compares them part by
// part: the clock's "YYYY,MMDD,HHMM,SS", or, when that is not above `current` (the same second,
// a clock set back), `current` with its last part raised by one. `current` is empty when there is
// no registration; a text that is not four numbers counts as none.
std::wstring nextLogonVersion(const std::wstring& current, const LocalTime& now);

}  // namespace kv
