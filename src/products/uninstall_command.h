#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "products/installer_service.h"

namespace kv {

// A product's registered uninstall command ("UninstallString") as the registry holds it.
struct RegisteredCommand {
  std::wstring text;
  std::uint32_t type = InstallerService::kRegSz;  // kRegExpandSz: holds %NAME% to expand
};

// The command line that uninstalls `productCode` quietly, exactly as the cleaner runs it (and
// as a checker shows it), made from `registered` or, when there is none, from
// "MsiExec.exe /X<code>":
// 1. A REG_EXPAND_SZ command is expanded first, as the shell does
//    (SystemServices::expandEnvironmentStrings); REG_SZ is taken as it is.
// 2. The program is split from its arguments: a quoted program is the quoted text (an unclosed
//    quote runs to the end); an unquoted one runs up to an ".exe" (any case) followed by a blank
//    or the end, as Windows' own tools read a path with spaces: of several such, the longest
//    prefix that exists (SystemServices::pathExists), else the longest of all; without such an
//    ".exe" it is the first blank-delimited token, the one that CreateProcessW tries first.
// 3. Each "/I" in a registered command's arguments becomes "/X" (replaceAll, case-sensitive);
//    the program's path is never changed.
// 4. A program named just msiexec or msiexec.exe (any case, quoted or not, no folder) becomes
//    the system folder's msiexec.exe by its full path (SystemServices::systemDirectory), so that
//    no folder searched before that one can supply it. Without a system folder (the native
//    build) the name stays. Other programs without a folder stay as they are named.
// 5. An unquoted program that holds a blank is quoted, so that CreateProcessW starts it and no
//    shorter path that ends at one of its spaces.
// 6. " /Qn" is appended, and for the installer (a program named msiexec or msiexec.exe, in any
//    folder) " /norestart" after it: quiet, it would otherwise restart the PC by itself when a
//    file is in use, before the cleaner has done its work.
// Blanks before the program are kept. nullopt when the command cannot be expanded: it is not run.
std::optional<std::wstring> uninstallCommandLine(
    const std::wstring& productCode, const std::optional<RegisteredCommand>& registered);

}  // namespace kv
