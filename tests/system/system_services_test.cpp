#include "system/system_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fake_system_services.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

TEST(SystemServices, InstalledStandInReplacesThePlatformUntilItGoes) {
  SystemServices& platform = SystemServices::current();
  {
    test::FakeSystemServices fake;
    fake.computer = L"STANDIN";
    EXPECT_EQ(SystemServices::current().computerName(), L"STANDIN");
  }
  EXPECT_EQ(&SystemServices::current(), &platform);
}

TEST(SystemServices, FileOperationsOnTheRealFileSystem) {
  test::TempDir dir;
  SystemServices& system = platformSystemServices();
  const std::wstring folder = dir.child(L"made");
  EXPECT_FALSE(system.pathExists(folder));
  EXPECT_TRUE(system.createDirectory(folder));
  EXPECT_TRUE(system.pathExists(folder));
  EXPECT_FALSE(system.createDirectory(folder));  // already there
  EXPECT_FALSE(system.pathExists(L""));
  EXPECT_FALSE(system.createDirectory(dir.child(L"missing/child")));

  const std::filesystem::path file = dir.path() / "file.txt";
  std::FILE* handle = std::fopen(file.string().c_str(), "w");
  ASSERT_NE(handle, nullptr);
  std::fclose(handle);
  EXPECT_TRUE(system.deleteFile(file.wstring()));
  EXPECT_FALSE(system.deleteFile(file.wstring()));
}

TEST(SystemServices, AnsiConversionRoundTripsAscii) {
  SystemServices& system = platformSystemServices();
  EXPECT_EQ(system.ansiToWide("Model X|Y"), L"Model X|Y");
  EXPECT_EQ(system.wideToAnsi(L"C:\\ProgramData"), "C:\\ProgramData");
  EXPECT_EQ(system.ansiToWide(""), L"");
}

}  // namespace
}  // namespace kv
