#include "rules/driver_filter.h"

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

}  // namespace
}  // namespace kv
