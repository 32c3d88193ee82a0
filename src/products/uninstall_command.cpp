#include "products/uninstall_command.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "config/config_text.h"
#include "system/system_services.h"

namespace kv {
namespace {

constexpr std::wstring_view kBlanks = L" \t";

wchar_t foldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool sameNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

// The length of the program at the start of `command` (rule 2).
std::size_t programLength(std::wstring_view command) {
  if (command.starts_with(L'"')) {
    const std::size_t close = command.find(L'"', 1);
    return close == std::wstring_view::npos ? command.size() : close + 1;
  }
  // The last ".exe" followed by a blank or the end; one inside a folder name ("Apps.exe\") does
  // not end the program.
  constexpr std::wstring_view kExe = L".exe";
  for (std::size_t end = command.size(); end >= kExe.size(); --end) {
    if (sameNoCase(command.substr(end - kExe.size(), kExe.size()), kExe) &&
        (end == command.size() || kBlanks.find(command[end]) != std::wstring_view::npos)) {
      return end;
    }
  }
  return std::min(command.find_first_of(kBlanks), command.size());
}

std::wstring_view unquoted(std::wstring_view program) {
  if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
    return program.substr(1, program.size() - 2);
  }
  return program;
}

bool isInstallerName(std::wstring_view name) {
  return sameNoCase(name, L"msiexec") || sameNoCase(name, L"msiexec.exe");
}

// Rule 6: the installer in any folder, whose quiet mode restarts the PC by itself.
bool isInstaller(std::wstring_view program) {
  const std::wstring_view path = unquoted(program);
  const std::size_t slash = path.find_last_of(L"\\/");
  return isInstallerName(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

// Rule 4: the system's installer for a program named just msiexec, else the program as named.
std::wstring installerByFullPath(const std::wstring& program) {
  if (!isInstallerName(unquoted(program))) return program;
  std::wstring path = SystemServices::current().systemDirectory();
  if (path.empty()) return program;
  if (path.back() != L'\\') path += L'\\';
  return path + L"msiexec.exe";
}

}  // namespace

UninstallCommandLine uninstallCommandLine(const std::wstring& productCode,
                                          const std::optional<RegisteredCommand>& registered) {
  using Made = UninstallCommandLine::Made;
  std::wstring command = registered ? registered->text : L"MsiExec.exe /X" + productCode;
  if (registered && registered->type == InstallerService::kRegExpandSz) {
    std::optional<std::wstring> expanded =
        SystemServices::current().expandEnvironmentStrings(command);
    if (!expanded) return {Made::CannotExpand, L""};
    command = std::move(*expanded);
  }
  const std::size_t start = std::min(command.find_first_not_of(kBlanks), command.size());
  const std::size_t length = programLength(std::wstring_view(command).substr(start));
  std::wstring program = installerByFullPath(command.substr(start, length));
  std::wstring arguments = command.substr(start + length);
  if (registered) replaceAll(arguments, L"/I", L"/X");
  if (!program.starts_with(L'"') && program.find_first_of(kBlanks) != std::wstring::npos) {
    if (!SystemServices::current().fileExists(program)) return {Made::NoSuchProgram, program};
    program = L'"' + program + L'"';
  }
  const std::wstring quiet = isInstaller(program) ? L" /Qn /norestart" : L" /Qn";
  return {Made::Ready, command.substr(0, start) + program + arguments + quiet};
}

}  // namespace kv
