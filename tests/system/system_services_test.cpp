#include "system/system_services.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// The program's own kind and the machine's -> the environment its driver calls name.
TEST(SystemServices, DriversOfTheMachineNotOfTheProgram) {
  using enum MachineKind;
  const struct {
    MachineKind program, native;
    std::optional<std::wstring> environment;
  } rows[] = {
      {X64, X64, std::nullopt},       {X86, X86, std::nullopt},       {X86, X64, L"Windows x64"},
      {X86, Arm64, L"Windows ARM64"}, {X64, Arm64, L"Windows ARM64"},  // emulated, not WOW64
      {X64, Unknown, std::nullopt},   {Arm64, Arm64, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(driverEnvironmentFor(row.program, row.native), row.environment)
        << architectureName(row.program) << " on " << architectureName(row.native);
  }
}

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

  // A lock file is made, refuses a second taker, and goes with its holder; one left behind is
  // taken over.
  const std::wstring lock = dir.child(L"file.lock");
  {
    const FileLockAttempt first = system.tryFileLock(lock);
    EXPECT_EQ(first.found, FileLockFound::Made);
    EXPECT_TRUE(system.pathExists(lock));
    const FileLockAttempt second = system.tryFileLock(lock);
    EXPECT_EQ(second.found, FileLockFound::HeldByOurs);
    EXPECT_EQ(second.lock, nullptr);
  }
  EXPECT_FALSE(system.pathExists(lock));
  test::writeBytes(dir.path() / "file.lock", "");
  EXPECT_EQ(system.tryFileLock(lock).found, FileLockFound::TakenOver);
  EXPECT_FALSE(system.pathExists(lock));
  EXPECT_EQ(system.tryFileLock(dir.child(L"missing/file.lock")).found, FileLockFound::Failed);
}

// Only the entry itself is looked at: a link is one whether or not it leads anywhere, and what
// lies behind a folder link is not.
TEST(SystemServices, LinksAreSeenWithoutBeingFollowed) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  test::writeBytes(dir.path() / "folder" / "file", "x");
  std::error_code error;
  std::filesystem::create_directory_symlink(dir.path() / "folder", dir.path() / "folder-link",
                                            error);
  std::filesystem::create_symlink(dir.path() / "folder" / "file", dir.path() / "file-link", error);
  std::filesystem::create_symlink(dir.path() / "missing", dir.path() / "dangling", error);
  if (error || !std::filesystem::is_symlink(dir.path() / "dangling")) {
    GTEST_SKIP() << "no symbolic links here (Wine 8 makes none, see docs/testing.md)";
  }
  struct Case {
    const wchar_t* name;
    bool link;
    bool present;
  };
  const Case cases[] = {
      {L"folder", false, true},
      {L"folder/file", false, true},
      {L"folder-link", true, true},
      {L"file-link", true, true},
      {L"dangling", true, true},
      {L"folder-link/file", false, true},
      {L"missing", false, false},
      {L"missing/file", false, false},
      {L"folder/file/below", false, false},
  };
  SystemServices& system = platformSystemServices();
  for (const Case& c : cases) {
    EXPECT_EQ(system.isReparsePoint(dir.child(c.name)), c.link) << c.name;
    EXPECT_EQ(system.pathExists(dir.child(c.name)), c.present) << c.name;
  }
}

#ifdef _WIN32
// The cleaner's key goes with its last value, never while a value or a subkey is left in it, and
// never the maker's key above it.
TEST(SystemServices, TheCleanersKeyGoesWithItsLastValue) {
  SystemServices& system = platformSystemServices();
  const auto opens = [](const wchar_t* subkey) {
    HKEY key = nullptr;
    const LSTATUS status =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
  };
  constexpr wchar_t kKey[] = L"SOFTWARE\\NOVAX\\kvcleaner";
  ASSERT_TRUE(system.writeMachineTexts(L"KvTestA", {L"a"}));
  MachineValueShape shape;
  EXPECT_EQ(system.machineValueShape(L"KvTestA", shape), MachineValueRead::Read);
  EXPECT_EQ(shape.type, MachineValueType::Texts);
  ASSERT_TRUE(system.writeMachineValue(L"KvTestA", "a"));
  ASSERT_TRUE(system.writeMachineValue(L"KvTestB", "b"));
  EXPECT_EQ(system.machineValueShape(L"KvTestA", shape), MachineValueRead::Read);
  EXPECT_EQ(shape.type, MachineValueType::Binary);
  EXPECT_EQ(shape.size, 1u);
  EXPECT_TRUE(system.deleteMachineValue(L"KvTestA"));
  EXPECT_EQ(opens(kKey), ERROR_SUCCESS);
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\NOVAX\\kvcleaner\\KvTestSub", 0,
                            nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &sub, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  EXPECT_TRUE(system.deleteMachineValue(L"KvTestB"));
  EXPECT_EQ(opens(kKey), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\NOVAX\\kvcleaner\\KvTestSub",
                            KEY_WOW64_64KEY, 0),
            ERROR_SUCCESS);
  ASSERT_TRUE(system.writeMachineValue(L"KvTestB", "b"));
  EXPECT_TRUE(system.deleteMachineValue(L"KvTestB"));
  EXPECT_EQ(opens(kKey), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(opens(L"SOFTWARE\\NOVAX"), ERROR_SUCCESS);
}
#endif

TEST(SystemServices, AnsiConversionRoundTripsAscii) {
  SystemServices& system = platformSystemServices();
  EXPECT_EQ(system.ansiToWide("Model X|Y"), L"Model X|Y");
  EXPECT_EQ(system.wideToAnsi(L"C:\\ProgramData"), "C:\\ProgramData");
  EXPECT_EQ(system.ansiToWide(""), L"");
}

}  // namespace
}  // namespace kv
