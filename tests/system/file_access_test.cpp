#include "system/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "support/allocation_failure.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kv {
namespace {

using namespace std::string_literals;
using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

TEST(FileAccess, WholeFileIsReadOnlyWithinTheLimit) {
  test::TempDir dir;
  test::writeBytes(dir.path() / "four", "a\0\r\n"s);
  test::writeBytes(dir.path() / "empty", "");
  std::filesystem::create_directory(dir.path() / "folder");
  struct Case {
    std::wstring name;
    std::size_t maxBytes;
    FileReadResult result;
    std::string bytes;
  };
  const Case cases[] = {
      {L"four", 4, FileReadResult::Read, "a\0\r\n"s},
      {L"four", 3, FileReadResult::TooLarge, "kept"},
      {L"empty", 0, FileReadResult::Read, ""},
      {L"missing", 4, FileReadResult::CannotOpen, "kept"},
      {L"folder", 4, FileReadResult::CannotOpen, "kept"},
  };
  for (const Case& c : cases) {
    std::string bytes = "kept";
    EXPECT_EQ(readWholeFile(dir.child(c.name), c.maxBytes, bytes), c.result) << c.maxBytes;
    EXPECT_EQ(bytes, c.bytes) << c.maxBytes;
  }
}

// Reading a device never ends (COM1) or gives what a file never held (/dev/zero); a pipe without
// a writer would keep the open waiting. None of them is read.
TEST(FileAccess, OnlyARegularFileIsRead) {
  test::TempDir dir;
#ifdef _WIN32
  // Windows takes a device name with any extension, in any folder, for the device.
  const std::vector<std::wstring> paths = {L"NUL", L"nul", dir.child(L"aux.ini"),
                                           dir.child(L"NUL.txt")};
#else
  ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  const std::vector<std::wstring> paths = {dir.child(L"pipe"), L"/dev/null", L"/dev/zero"};
#endif
  for (const std::wstring& path : paths) {
    std::string bytes = "kept";
    EXPECT_EQ(readWholeFile(path, 4, bytes), FileReadResult::CannotOpen) << path;
    EXPECT_EQ(bytes, "kept") << path;
  }
}

TEST(FileAccess, WholeFileIsReadWhateverItsSizeAsLongAsItFitsIntoMemory) {
  test::TempDir dir;
  const std::string content(2 * 1024 * 1024 + 1, 'x');
  test::writeBytes(dir.path() / "big", content);
  std::string bytes = "kept";
  {
    test::ScopedAllocationFailure noMemory(1024 * 1024);
    EXPECT_EQ(readWholeFile(dir.child(L"big"), kNoSizeLimit, bytes), FileReadResult::NoMemory);
  }
  EXPECT_EQ(bytes, "kept");
  EXPECT_EQ(readWholeFile(dir.child(L"big"), kNoSizeLimit, bytes), FileReadResult::Read);
  EXPECT_EQ(bytes, content);
}

TEST(FileAccess, FileOpenedForWritingStartsEmptyAndCanBeReadWhileOpen) {
  test::TempDir dir;
  test::writeBytes(dir.path() / "log", "old");
  const File file(openFileForWriting(dir.child(L"log")), &std::fclose);
  ASSERT_NE(file, nullptr);
  ASSERT_GE(std::fputs("new\n", file.get()), 0);
  ASSERT_EQ(std::fflush(file.get()), 0);
  std::string bytes;
  EXPECT_EQ(readWholeFile(dir.child(L"log"), 100, bytes), FileReadResult::Read);
  EXPECT_EQ(bytes, "new\n");
  EXPECT_EQ(File(openFileForWriting(dir.child(L"missing\\log")), &std::fclose), nullptr);
}

// A link, or a file with other names (a hard link), at the path itself is refused before anything
// is emptied or written; a plain file is emptied and written as with Follow, which goes through.
TEST(FileAccess, WritingRefusesALinkAtThePathItself) {
  test::TempDir dir;
  std::error_code error;
  std::filesystem::create_symlink(dir.path() / "target", dir.path() / "link", error);
  const bool symlinks = !error && std::filesystem::is_symlink(dir.path() / "link");  // not Wine 8
  test::writeBytes(dir.path() / "target", "");
  std::filesystem::create_hard_link(dir.path() / "target", dir.path() / "other name");
  struct Case {
    const wchar_t* name;
    LinkAtPath links;
    bool append;
    bool opened;
    std::string target;  // afterwards, read at `name`
  };
  const Case cases[] = {
      {L"link", LinkAtPath::Refuse, false, false, "planted"},
      {L"link", LinkAtPath::Follow, false, true, "new"},
      {L"other name", LinkAtPath::Refuse, false, false, "planted"},
      {L"other name", LinkAtPath::Refuse, true, false, "planted"},
      {L"plain", LinkAtPath::Refuse, false, true, "new"},
      {L"plain", LinkAtPath::Refuse, true, true, "plantednew"},
  };
  for (const Case& c : cases) {
    if (c.name == std::wstring(L"link") && !symlinks) continue;
    test::writeBytes(dir.path() / "target", "planted");
    test::writeBytes(dir.path() / "plain", "planted");
    {
      const std::wstring path = dir.child(c.name);
      const File file(
          c.append ? openFileForAppending(path, c.links) : openFileForWriting(path, c.links),
          &std::fclose);
      ASSERT_EQ(file != nullptr, c.opened) << c.name << static_cast<int>(c.links);
      if (file) {
        ASSERT_GE(std::fputs("new", file.get()), 0);
      }
    }
    EXPECT_EQ(test::readBytes(dir.path() / c.name), c.target)
        << c.name << static_cast<int>(c.links);
    EXPECT_EQ(hasOtherNames(dir.child(c.name)), c.name == std::wstring(L"other name")) << c.name;
  }
  if (!symlinks) return;
  test::writeBytes(dir.path() / "target", "planted");
  EXPECT_FALSE(writeWholeFile(dir.child(L"link"), "new"));
  EXPECT_EQ(test::readBytes(dir.path() / "target"), "planted");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link"));
}

}  // namespace
}  // namespace kv
