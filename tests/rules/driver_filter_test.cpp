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

// Another maker's package may offer a model with a brand text inside a word: only its provider,
// manufacturer or a driver the filter chooses makes a package the maker's.
TEST(DriverPackages, TheMakersByNameWordOrByADriverTheFilterChooses) {
  struct Case {
    const char* name;
    const wchar_t *provider, *manufacturer, *model, *driver, *infPath, *configured;
    bool makers;
    const wchar_t* chosen;
    bool otherMakerUses;
  };
  const Case cases[] = {
      {"provider", L"NOVAX Corp.", L"", L"Acme 1", L"", L"", L"", true, L"", false},
      {"manufacturer", L"Acme", L"HaldenJet", L"", L"", L"", L"", true, L"", false},
      {"brand text inside a word", L"Zulutec", L"Zulu Systems", L"Zulu Laser 9", L"", L"", L"",
       false, L"Zulu Laser 9", false},
      {"backs a chosen driver (store path, any case)", L"Acme", L"", L"", L"NOVAX D",
       L"s:\\P\\P.INF", L"", true, L"", false},
      {"backs one by its published INF", L"Acme", L"", L"", L"NOVAX D",
       L"C:\\Windows\\INF\\OEM1.inf", L"", true, L"", false},
      {"another published INF", L"Acme", L"", L"", L"NOVAX D", L"C:\\Windows\\INF\\oem11.inf", L"",
       false, L"", false},
      {"another maker's driver uses it", L"NOVAX", L"", L"", L"Acme 1", L"S:\\p\\p.inf", L"", true,
       L"", true},
      {"models: the brand alone does not choose", L"NOVAX", L"", L"NOVAX A", L"", L"", L"NOVAX B",
       false, L"", false},
      {"models: one it offers", L"Acme", L"", L"NOVAX B", L"", L"", L"NOVAX B", true, L"NOVAX B",
       false},
  };
  for (const Case& c : cases) {
    const auto listOf = [](const wchar_t* text) {
      return *text == L'\0' ? std::vector<std::wstring>{} : std::vector<std::wstring>{text};
    };
    const DriverPackage package{L"oem1.inf", L"S:\\p\\p.inf", c.provider, listOf(c.manufacturer),
                                listOf(c.model)};
    std::vector<InstalledDriver> installed;
    if (*c.driver != L'\0') installed.push_back({c.driver, L"Windows x64", c.infPath});
    const std::vector<std::wstring> configured = listOf(c.configured);
    const PackageChoice choice =
        choosePackage(package, installed, ModelSet(configured.begin(), configured.end()));
    EXPECT_EQ(choice.makers, c.makers) << c.name;
    EXPECT_EQ(choice.chosenModels, listOf(c.chosen)) << c.name;
    EXPECT_EQ(choice.otherMakerUses, c.otherMakerUses) << c.name;
  }
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
            L"[Clean] DriverPackages=Yes is not a value the cleaner knows (only Remove): "
            L"nothing of that kind is removed");
  EXPECT_EQ(unknownOptInLine(kDriverPackagesKey, L"remove"), L"");
  EXPECT_EQ(optInsShown({OptIn::On, OptIn::Unknown}), L"UnusedDrivers=Remove");
  EXPECT_EQ(optInsShown({OptIn::On, OptIn::On}), L"UnusedDrivers=Remove DriverPackages=Remove");
  EXPECT_EQ(optInsShown({OptIn::Off, OptIn::Unknown}), L"none");
}

}  // namespace
}  // namespace kv
