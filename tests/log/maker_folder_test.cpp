#include "log/maker_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kv {
namespace {

class LogDirectoryTest : public ::testing::Test {
 protected:
  LogDirectoryTest() { system.environment[L"ALLUSERSPROFILE"] = dir.wide(); }
  std::filesystem::path maker() { return dir.path() / "NOVAX"; }
  std::filesystem::path logs() { return maker() / "MXQLOG"; }
  std::wstring expected() { return dir.wide() + L"\\NOVAX\\MXQLOG"; }

  test::FakeSystemServices system;
  test::TempDir dir;
};

TEST_F(LogDirectoryTest, CreatesBothLevelsWhenMissing) {
  std::wstring directory = L"previous";
  ASSERT_TRUE(GetLogDirectory(directory));
  EXPECT_EQ(directory, expected());
  EXPECT_TRUE(std::filesystem::is_directory(logs()));
}

TEST_F(LogDirectoryTest, KeepsWhatIsAlreadyThere) {
  std::filesystem::create_directories(maker());
  test::writeBytes(maker() / "keep.txt", "x");
  std::wstring directory;
  ASSERT_TRUE(GetLogDirectory(directory));
  EXPECT_TRUE(std::filesystem::is_directory(logs()));
  EXPECT_EQ(test::readBytes(maker() / "keep.txt"), "x");
  ASSERT_TRUE(GetLogDirectory(directory));  // both present: nothing to create
  EXPECT_EQ(directory, expected());
}

#ifndef _WIN32
// What the cleaner makes is writable by its owner (the administrator) only; a folder that is
// already there keeps its mode. Under Wine the folders' mode is checked end to end.
TEST_F(LogDirectoryTest, MadeLevelsAreWritableByTheOwnerOnly) {
  using std::filesystem::perms;
  using std::filesystem::status;
  const mode_t previous = ::umask(0);
  std::filesystem::create_directories(maker());
  std::filesystem::permissions(maker(), perms::all);
  std::wstring directory;
  const bool belowPresentMaker = GetLogDirectory(directory);
  const perms presentMaker = status(maker()).permissions();
  const perms madeLogs = status(logs()).permissions();
  std::filesystem::remove_all(maker());
  const bool bothMade = GetLogDirectory(directory);
  ::umask(previous);
  ASSERT_TRUE(belowPresentMaker);
  ASSERT_TRUE(bothMade);
  EXPECT_EQ(presentMaker, perms::all);
  EXPECT_EQ(madeLogs, perms(0755));
  EXPECT_EQ(status(maker()).permissions(), perms(0755));
  EXPECT_EQ(status(logs()).permissions(), perms(0755));
}
#endif

TEST_F(LogDirectoryTest, PlainFileNamedLikeTheFolderStillCounts) {
  std::filesystem::create_directories(maker());
  test::writeBytes(logs(), "not a folder");
  std::wstring directory;
  ASSERT_TRUE(GetLogDirectory(directory));
  EXPECT_EQ(directory, expected());
  EXPECT_TRUE(std::filesystem::is_regular_file(logs()));
}

// Another run makes each level between this run's look and its own attempt, which then fails.
TEST(LogDirectoryRaceTest, LevelsAnotherRunMadeMeanwhileCount) {
  struct MadeByAnotherRun : test::FakeSystemServices {
    bool createProtectedDirectory(const std::wstring& path) override {
      FakeSystemServices::createProtectedDirectory(path);
      return false;
    }
  } system;
  test::TempDir dir;
  system.environment[L"ALLUSERSPROFILE"] = dir.wide();
  std::wstring directory;
  ASSERT_TRUE(GetLogDirectory(directory));
  EXPECT_EQ(directory, dir.wide() + L"\\NOVAX\\MXQLOG");
}

TEST_F(LogDirectoryTest, FailsWithoutTheVariableOrWhenALevelCannotBeMade) {
  std::wstring directory = L"previous";
  system.environment.erase(L"ALLUSERSPROFILE");
  EXPECT_FALSE(GetLogDirectory(directory));
  EXPECT_EQ(directory, L"previous");

  system.environment[L"ALLUSERSPROFILE"] = dir.child(L"absent");
  EXPECT_FALSE(GetLogDirectory(directory));
  EXPECT_EQ(directory, L"previous");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "absent"));
}

}  // namespace
}  // namespace kv
