#pragma once

#include <optional>
#include <string>

#include "spooler/name_list.h"

namespace kv {

// Which of the maker's installer packages an uninstall pass chooses, and the command it runs;
// the cleaner's passes and kvcheck both ask here.

// The candidate (a configured model or, without models, an installed driver) that the product
// name ends in, in brackets: "[candidate]" at the very end, same characters, same case. The last
// such candidate of the list; null when there is none, and the package is not chosen.
const std::wstring* bracketedCandidateOf(const std::wstring& productName,
                                         const NameList& candidates);

// The command that uninstalls the product (uninstallCommandLine), made from its registered
// "UninstallString" or, when that cannot be read, for the installer (an Info line on the detail
// log says so); nullopt when it cannot be made.
std::optional<std::wstring> uninstallCommandFor(const std::wstring& productCode,
                                                const std::wstring& productName);

}  // namespace kv
