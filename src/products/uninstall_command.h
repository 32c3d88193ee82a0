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

// The command line that uninstalls a product, or why none can be made.
struct UninstallCommandLine {
  enum class Made {
    Ready,          // `text` is the command line to run
    CannotExpand,   // a REG_EXPAND_SZ command could not be expanded; `text` is empty
    NoSuchProgram,  // `text` is the program as registered, which is not there as a file
  };
  Made made = Made::Ready;
  std::wstring text;
};

// The command line that uninstalls `productCode` quietly, exactly as the cleaner runs it (and
// as a checker shows it), made from `registered` or, when there is none, from
// "MsiExec.exe /X<code>":
// 1. A REG_EXPAND_SZ command is expanded first, as the shell does
//    (SystemServices::expandEnvironmentStrings); REG_SZ is taken as it is.
// 2. The program is split from its arguments: a quoted program is the quoted text (an unclosed
//    quote runs to the end); an unquoted one runs up to the last ".exe" (any case) followed by a
//    blank or the end, as Windows' own tools read a path with spaces; without such an ".exe" it
//    is the first blank-delimited token, the one that CreateProcessW tries first. An unquoted
//    program that holds a blank must be there as a file (SystemServices::fileExists), else
//    NoSuchProgram: no shorter path ending at one of its blanks is ever taken in its place, since
//    anyone may plant a file there ("C:\ProgramData\My.exe" before
//    "C:\ProgramData\My Tools\uninst.exe") and it would run with the cleaner's rights.
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
// Blanks before the program are kept.
UninstallCommandLine uninstallCommandLine(const std::wstring& productCode,
                                          const std::optional<RegisteredCommand>& registered);

}  // namespace kv
