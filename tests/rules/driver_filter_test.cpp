#include "rules/driver_filter.h"

#include "rules/driver_packages.h"
#include "rules/removal_opt_ins.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(IsBrandDriver, AnyBrandTextAnywhereInAnyCase) {
  struct Case {
    std::wstring driver;
    bool brand;
  };
  const Case cases[] = {
      {L"NOVAX Universal PCL6", true},
      {L"novax universal", true},
      {L"Generic NoVaX-like", true},
      {L"XNOVAXX", true},
      {L"HaldenJet 4200", true},
      {L"Marlowe MF", true},
      {L"kestavo", true},
      {L"Pravik PS", true},
      {L"Zulu Office Printer", true},  // ZUL inside an unrelated word
      {L"CONFIGURATION", false},
      {L"Torino Laser", true},
      {L"ANFGB", true},  // NFG inside an unrelated word
      {L"PCL6 Driver for Omni Print", true},
      {L"ps driver for omni print v2", true},
      {L"PCL6 Driver for OMNI PRINTER", true},
      {L"Omni Print Universal", false},
      {L"PCL5 Driver for Omni Print", false},
      {L"PS  Driver for Omni Print", false},  // two blanks: not the phrase
      {L"Microsoft Print To PDF", false},
      {L"HP LaserJet", false},
      {L"NOVA X", false},
      {L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsBrandDriver(c.driver), c.brand) << c.driver;
  }
}

TEST(IsModelDriver, WholeNameSameCaseSameBlanks) {
  const ModelSet models{L"NOVAX C300 PCL6", L"Other Model"};
  struct Case {
    std::wstring driver;
    bool model;
  };
  const Case cases[] = {
      {L"NOVAX C300 PCL6", true},
      {L"Other Model", true},
      {L"novax c300 pcl6", false},
      {L"NOVAX C300 PCL6 ", false},
      {L" NOVAX C300 PCL6", false},
      {L"NOVAX C300", false},
      {L"NOVAX C300 PCL6 Class Driver", false},
      {L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsModelDriver(models, c.driver), c.model) << c.driver;
  }
}

TEST(DriverFilter, ConfiguredModelsReplaceTheBrandTexts) {
  struct Case {
    std::vector<std::wstring> modelList;
    DriverFilter filter;
    // How three drivers fare: a brand driver, a configured model, an empty name.
    bool brandPasses, modelPasses, emptyPasses;
    size_t setSize;
  };
  const Case cases[] = {
      {{}, DriverFilter::Brand, true, false, false, 0},
      {{L"Acme 1"}, DriverFilter::Model, false, true, false, 1},
      {{L"Acme 1", L"Acme 1"}, DriverFilter::Model, false, true, false, 1},
      {{L""}, DriverFilter::Model, false, false, true, 1},
      {{L"NOVAX X", L"Acme 1", L""}, DriverFilter::Model, false, true, true, 3},
  };
  for (const Case& c : cases) {
    ModelSet models{L"stale"};
    fillModelSet(c.modelList, models);
    EXPECT_EQ(models.size(), c.setSize);
    const DriverFilter filter = chooseDriverFilter(models);
    EXPECT_EQ(filter, c.filter);
    EXPECT_EQ(passesDriverFilter(filter, models, L"NOVAX Y"), c.brandPasses);
    EXPECT_EQ(passesDriverFilter(filter, models, L"Acme 1"), c.modelPasses);
    EXPECT_EQ(passesDriverFilter(filter, models, L""), c.emptyPasses);
  }
}

TEST(DriverPackages, TheMakersByNameWordOrByADriverTheFilterChooses) {
  struct Case {
    const char* name;
    DriverPackage package;
    std::vector<InstalledDriver> installed;
    ModelSet models;
    bool makers;
    std::wstring chosenModels;  // joined by "|"
    bool otherMakerUses;
  };
  const std::wstring path = L"S:\\p\\p.inf";
  const Case cases[] = {
      {"provider", {L"oem1.inf", path, L"NOVAX Corp.", {}, {L"Acme 1"}}, {}, {}, true, L"", false},
      {"manufacturer", {L"oem1.inf", path, L"Acme", {L"HaldenJet"}, {}}, {}, {}, true, L"", false},
      {"brand text inside a word",
       {L"oem1.inf", path, L"Zulutec", {L"Zulu Systems"}, {L"Zulu Laser 9"}},
       {},
       {},
       false,
       L"Zulu Laser 9",
       false},
      {"backs a chosen driver (store path, any case)",
       {L"oem1.inf", path, L"Acme", {}, {}},
       {{L"NOVAX D", L"Windows x64", L"s:\\P\\P.INF"}},
       {},
       true,
       L"",
       false},
      {"backs one by its published INF",
       {L"oem1.inf", path, L"Acme", {}, {}},
       {{L"NOVAX D", L"Windows NT x86", L"C:\\Windows\\INF\\OEM1.inf"}},
       {},
       true,
       L"",
       false},
      {"another published INF",
       {L"oem1.inf", path, L"Acme", {}, {}},
       {{L"NOVAX D", L"Windows x64", L"C:\\Windows\\INF\\oem11.inf"}},
       {},
       false,
       L"",
       false},
      {"another maker's driver uses it",
       {L"oem1.inf", path, L"NOVAX", {}, {}},
       {{L"Acme 1", L"Windows x64", path}},
       {},
       true,
       L"",
       true},
      {"models: the brand alone does not choose",
       {L"oem1.inf", path, L"NOVAX", {}, {L"NOVAX A"}},
       {},
       {L"NOVAX B"},
       false,
       L"",
       false},
      {"models: one it offers",
       {L"oem1.inf", path, L"Acme", {}, {L"NOVAX A", L"NOVAX B"}},
       {},
       {L"NOVAX B"},
       true,
       L"NOVAX B",
       false},
  };
  for (const Case& c : cases) {
    const PackageChoice choice = choosePackage(c.package, c.installed, c.models);
    std::wstring chosen;
    for (const std::wstring& model : choice.chosenModels)
      chosen += (chosen.empty() ? L"" : L"|") + model;
    EXPECT_EQ(choice.makers, c.makers) << c.name;
    EXPECT_EQ(chosen, c.chosenModels) << c.name;
    EXPECT_EQ(choice.otherMakerUses, c.otherMakerUses) << c.name;
  }
}

TEST(DriverPackages, RemovedOnRequestWhenNoDriverUsesItAfterTheRun) {
  const InstalledDriver novax{L"NOVAX D", L"Windows x64", L"p"};
  struct Case {
    PackageChoice choice;
    bool optedIn;
    bool driverGoes;
    PackageVerdict verdict;
  };
  const Case cases[] = {
      {{true, {}, {}, false}, true, false, PackageVerdict::Remove},
      {{true, {}, {}, false}, false, false, PackageVerdict::NotAsked},
      {{true, {}, {novax}, false}, true, false, PackageVerdict::InUse},
      {{true, {}, {novax}, false}, true, true, PackageVerdict::Remove},
      {{true, {}, {novax}, true}, true, true, PackageVerdict::OtherMakerUses},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        packageVerdict(c.choice, c.optedIn, [&](const InstalledDriver&) { return c.driverGoes; }),
        c.verdict);
  }
  EXPECT_EQ(whyPackageStays(PackageVerdict::NotAsked),
            L"driver packages are removed only when clean.ini asks for it");
}

TEST(OptIns, RemoveInAnyCaseIsOnEmptyIsOffAnythingElseIsAnError) {
  struct Case {
    std::wstring value;
    OptIn optIn;
  };
  const Case cases[] = {{L"Remove", OptIn::On},       {L"REMOVE", OptIn::On},
                        {L"remove", OptIn::On},       {L"", OptIn::Off},
                        {L"Removed", OptIn::Unknown}, {L"Yes", OptIn::Unknown},
                        {L"Remov", OptIn::Unknown}};
  for (const Case& c : cases) EXPECT_EQ(optInOf(c.value), c.optIn) << c.value;
  EXPECT_EQ(unknownOptInLine(kDriverPackagesKey, L"Yes"),
            L"Error: [Clean] DriverPackages=Yes is not a value the cleaner knows (only Remove): "
            L"nothing of that kind is removed");
  EXPECT_EQ(unknownOptInLine(kDriverPackagesKey, L"remove"), L"");
  EXPECT_EQ(optInsShown({OptIn::On, OptIn::Unknown}), L"UnusedDrivers=Remove");
  EXPECT_EQ(optInsShown({OptIn::On, OptIn::On}), L"UnusedDrivers=Remove DriverPackages=Remove");
  EXPECT_EQ(optInsShown({OptIn::Off, OptIn::Unknown}), L"none");
}

}  // namespace
}  // namespace kv
