#include "rules/driver_packages.h"

#include <cwctype>

namespace kv {
namespace {

bool wordCharacter(wchar_t c) { return std::iswalnum(static_cast<std::wint_t>(c)) != 0; }

wchar_t lowerCase(wchar_t c) {
  return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
}

bool sameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerCase(a[i]) != lowerCase(b[i])) return false;
  }
  return true;
}

std::wstring_view fileNameOf(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<std::wstring_view> brandWordAsWord(const std::wstring& text) {
  const std::wstring upper = upperCaseCopy(text);
  for (const wchar_t* brand : brandTexts()) {
    const std::wstring_view word = brand;
    for (std::size_t at = upper.find(word); at != std::wstring::npos;
         at = upper.find(word, at + 1)) {
      const bool startsWord = at == 0 || !wordCharacter(upper[at - 1]);
      const std::size_t end = at + word.size();
      const bool endsWord = end == upper.size() || !wordCharacter(upper[end]);
      if (startsWord && endsWord) return word;
    }
  }
  return std::nullopt;
}

bool packageBacksDriver(const DriverPackage& package, const std::wstring& infPath) {
  if (infPath.empty()) return false;
  if (sameIgnoringCase(infPath, package.storePath)) return true;
  // The published INF in the system's INF folder ("...\INF\oem12.inf"): its name is unique.
  return sameIgnoringCase(fileNameOf(infPath), package.publishedName);
}

PackageChoice choosePackage(const DriverPackage& package,
                            const std::vector<InstalledDriver>& installed, const ModelSet& models) {
  const DriverFilter filter = chooseDriverFilter(models);
  PackageChoice choice;
  for (const std::wstring& model : package.models) {
    if (passesDriverFilter(filter, models, model)) choice.chosenModels.push_back(model);
  }
  bool backsChosen = false;
  for (const InstalledDriver& driver : installed) {
    if (!packageBacksDriver(package, driver.infPath)) continue;
    choice.users.push_back(driver);
    if (passesDriverFilter(filter, models, driver.name)) {
      backsChosen = true;
    } else {
      choice.otherMakerUses = true;
    }
  }
  bool named = brandWordAsWord(package.provider).has_value();
  for (const std::wstring& manufacturer : package.manufacturers) {
    named = named || brandWordAsWord(manufacturer).has_value();
  }
  choice.makers =
      backsChosen || (filter == DriverFilter::Brand ? named : !choice.chosenModels.empty());
  return choice;
}

PackageVerdict packageVerdict(const PackageChoice& choice, bool optedIn,
                              const std::function<bool(const InstalledDriver&)>& removedBefore) {
  if (choice.otherMakerUses) return PackageVerdict::OtherMakerUses;
  if (!optedIn) return PackageVerdict::NotAsked;
  for (const InstalledDriver& user : choice.users) {
    if (!removedBefore(user)) return PackageVerdict::InUse;
  }
  return PackageVerdict::Remove;
}

std::wstring whyPackageStays(PackageVerdict verdict) {
  switch (verdict) {
    case PackageVerdict::Remove:
      return {};
    case PackageVerdict::NotAsked:
      return L"driver packages are removed only when clean.ini asks for it";
    case PackageVerdict::InUse:
      return L"an installed driver still uses it";
    case PackageVerdict::OtherMakerUses:
      return L"another maker's driver uses it";
  }
  return {};
}

std::wstring packageUsersShown(const PackageChoice& choice) {
  std::wstring shown;
  for (const InstalledDriver& user : choice.users) {
    if (!shown.empty()) shown += L'|';
    shown += user.name + L" (" + user.environment + L")";
  }
  return shown;
}

}  // namespace kv
