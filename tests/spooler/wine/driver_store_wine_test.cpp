// The driver store against Wine's setup library: packages placed with its own copy call, listed
// back through it, and what Wine answers to the two removals.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <list>
#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"
#include "spooler/driver_store.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

std::wstring infFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  EXPECT_TRUE(length > 0 && length < MAX_PATH);
  return std::wstring(folder) + L"\\INF\\";
}

// A package published for the test's lifetime (Wine 8 publishes an INF under its own name).
class ScopedPackage {
 public:
  ScopedPackage(const test::TempDir& dir, const wchar_t* name, const char* text) : name_(name) {
    std::ofstream(dir.path() / name, std::ios::binary) << text;
    std::wstring published;
    const setup::StepResult placed = setup::addDriverPackage(dir.child(name), published);
    EXPECT_TRUE(placed.ok()) << placed.error;
    EXPECT_EQ(published, name_);
  }
  ScopedPackage(const ScopedPackage&) = delete;
  ScopedPackage& operator=(const ScopedPackage&) = delete;
  ~ScopedPackage() {
    DeleteFileW((infFolder() + name_).c_str());
    DeleteFileW((infFolder() + name_.substr(0, name_.size() - 3) + L"pnf").c_str());
  }

 private:
  std::wstring name_;
};

const DriverPackage* listed(const std::vector<DriverPackage>& packages, const std::wstring& name) {
  for (const DriverPackage& package : packages) {
    if (package.publishedName == name) return &package;
  }
  return nullptr;
}

TEST(DriverStoreWine, ListsThePrinterPackagesWithTheirTextsResolved) {
  const struct {
    const wchar_t* name;
    const char* text;
    bool listed;
    const wchar_t* provider = L"";
    std::vector<std::wstring> manufacturers = {};
    std::vector<std::wstring> models = {};
  } rows[] = {
      {L"oem9141.inf",
       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
       "ClassGUID={4d36e979-e325-11ce-bfc1-08002be10318}\r\nProvider=%Maker%\r\n"
       "[Manufacturer]\r\n%Maker%=Novax,NTamd64,NTx86\r\n"
       "[Novax]\r\n\"Novax QZ-100\"=A,ID1\r\n"
       "[Novax.NTamd64]\r\n\"Novax QZ-100\"=A,ID1\r\n%Wide%=B,ID2\r\n"
       "[Novax.NTx86]\r\n\"Novax QZ-300\"=C,ID3\r\n"
       "[Strings]\r\nMaker=\"NOVAX\"\r\nWide=\"Novax QZ-200 Wide\"\r\n",
       true,
       L"NOVAX",
       {L"NOVAX"},
       {L"Novax QZ-100", L"Novax QZ-200 Wide", L"Novax QZ-300"}},
      // Class alone, no GUID; a manufacturer line without a name is its models section.
      {L"oem9142.inf",
       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=Contoso\r\n"
       "[Manufacturer]\r\nContosoModels\r\n[ContosoModels]\r\n\"Contoso Zulu 5\"=Z,ID5\r\n",
       true,
       L"Contoso",
       {L"ContosoModels"},
       {L"Contoso Zulu 5"}},
      {L"oem9143.inf",
       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n"
       "ClassGUID={4D36E972-E325-11CE-BFC1-08002BE10318}\r\nProvider=NOVAX\r\n"
       "[Manufacturer]\r\nNOVAX=Nics\r\n[Nics]\r\n\"Novax NIC\"=N,ID9\r\n",
       false},
      // The GUID decides over the class name.
      {L"oem9144.inf",
       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
       "ClassGUID={4D36E972-E325-11CE-BFC1-08002BE10318}\r\nProvider=NOVAX\r\n",
       false},
  };
  test::TempDir dir;
  std::list<ScopedPackage> placed;
  for (const auto& row : rows) placed.emplace_back(dir, row.name, row.text);

  std::vector<DriverPackage> packages(1);
  packages[0].publishedName = L"stale";
  ASSERT_TRUE(DriverStore::current().listPrinterPackages(&packages));
  EXPECT_EQ(listed(packages, L"stale"), nullptr);
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.name));
    const DriverPackage* package = listed(packages, row.name);
    ASSERT_EQ(package != nullptr, row.listed);
    if (!package) continue;
    EXPECT_EQ(package->provider, row.provider);
    EXPECT_EQ(package->manufacturers, row.manufacturers);
    EXPECT_EQ(package->models, row.models);
    // Wine names no store location: the published INF's own path stands for it.
    EXPECT_EQ(package->storePath, infFolder() + row.name);
  }
}

// Wine's winspool has no package removal, and its setup library answers success without removing
// the published INF: the cleaner has to list again after the call.
TEST(DriverStoreWine, WineRemovesNoPackage) {
  test::TempDir dir;
  const ScopedPackage package(dir, L"oem9145.inf",
                              "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                              "Provider=NOVAX\r\n");
  DriverStore& store = DriverStore::current();
  const std::wstring path = infFolder() + L"oem9145.inf";
  EXPECT_FALSE(store.deletePrinterDriverPackageW(nullptr, path.c_str(), nullptr));
  EXPECT_EQ(store.lastError(), kErrorProcedureMissing);
  EXPECT_TRUE(store.setupUninstallOEMInfW(L"oem9145.inf", 0, nullptr));
  std::vector<DriverPackage> packages;
  ASSERT_TRUE(store.listPrinterPackages(&packages));
  EXPECT_NE(listed(packages, L"oem9145.inf"), nullptr);
}

}  // namespace
}  // namespace kv
