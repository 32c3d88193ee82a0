#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/driver_filter.h"
#include "spooler/driver_store.h"
#include "spooler/installed_drivers.h"

namespace kv {

// The first brand text that `text`, upper-cased, holds as a whole word (no letter or digit
// either side): a provider or manufacturer names its maker in words, and "Zulu" is not "ZUL".
std::optional<std::wstring_view> brandWordAsWord(const std::wstring& text);

// Whether a driver's INF path (as the spooler gives it) names the package: its store path, or
// the published INF's own path, compared without regard to letter case.
bool packageBacksDriver(const DriverPackage& package, const std::wstring& infPath);

// What a run sees of a package in the store.
struct PackageChoice {
  // Its provider or a manufacturer names the maker (without models), or it backs a driver the
  // filter chooses. With models it must offer one of them or back a chosen driver.
  bool makers = false;
  // The models it offers that the filter chooses.
  std::vector<std::wstring> chosenModels;
  // The installed drivers that use it now.
  std::vector<InstalledDriver> users;
  // One of those is a driver the filter does not choose: another maker's.
  bool otherMakerUses = false;
};

PackageChoice choosePackage(const DriverPackage& package,
                            const std::vector<InstalledDriver>& installed, const ModelSet& models);

// What a run with these options does with one of the maker's packages.
enum class PackageVerdict { Remove, NotAsked, InUse, OtherMakerUses };

// `removedBefore` tells which of its users the run deletes before it gets to the packages.
PackageVerdict packageVerdict(const PackageChoice& choice, bool optedIn,
                              const std::function<bool(const InstalledDriver&)>& removedBefore);

// Why a package stays, for a kvcheck line; empty for Remove.
std::wstring whyPackageStays(PackageVerdict verdict);

// The users as "name (environment)" joined by "|".
std::wstring packageUsersShown(const PackageChoice& choice);

}  // namespace kv
