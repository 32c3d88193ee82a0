#pragma once

#include <optional>
#include <string>

#include "spooler/name_list.h"

namespace kv {

// Which of the maker's installer packages an uninstall pass chooses, and the command it runs;
// the cleaner's passes and kvcheck both ask here.

// The names a package's product name is matched against: the configured models or, without
// them, every installed driver, whoever made it (the Publisher has already chosen the maker's
// packages). The drivers are listed when it is made and released with it.
class PackageMatchNames {
 public:
  explicit PackageMatchNames(const NameList& models);
  ~PackageMatchNames();
  PackageMatchNames(const PackageMatchNames&) = delete;
  PackageMatchNames& operator=(const PackageMatchNames&) = delete;

  bool byModels() const { return byModels_; }
  // False when the drivers were to be listed and could not be; names() holds what was listed.
  bool listed() const { return listed_; }
  const NameList& names() const { return byModels_ ? models_ : drivers_; }

 private:
  const NameList& models_;
  NameList drivers_;
  bool byModels_;
  bool listed_ = true;
};

// The candidate (a configured model or, without models, an installed driver) that the product
// name ends in, in brackets: "[candidate]" at the very end, same characters, same case. The last
// such candidate of the list; null when there is none, and the package is not chosen.
const std::wstring* bracketedCandidateOf(const std::wstring& productName,
                                         const NameList& candidates);

// How a chosen product is uninstalled.
struct UninstallChoice {
  enum class Way {
    Run,            // `command` runs
    CannotExpand,   // its registered command cannot be expanded: nothing runs
    NoUninstaller,  // its registered program is not there and the installer service holds no
                    // package of it to remove it by: nothing runs, it stays
  };
  Way way = Way::Run;
  std::wstring command;
  // The registered program that is not there as a file (none of a shorter path is run in its
  // place); empty when the registered command was taken or there was none.
  std::wstring missingProgram;
};

// The command that uninstalls the product (uninstallCommandLine), made from its registered
// "UninstallString" or, when that cannot be read, is empty or is not text, for the installer (an
// Info line on the detail log says so). When the registered program is not there, the
// installer's own command is made instead for a product whose package the installer service
// keeps ("LocalPackage", which msiexec /X needs), after a Warn line on the detail log.
UninstallChoice uninstallChoiceFor(const std::wstring& productCode,
                                   const std::wstring& productName);

}  // namespace kv
