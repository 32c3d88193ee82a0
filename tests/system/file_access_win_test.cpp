#include <io.h>
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <memory>

#include "support/temp_dir.h"
#include "system/file_access.h"

namespace kv {

// LockFileEx needs read or write data access, which Wine does not check: the access is read back.
// The append handle refusing links has no FILE_WRITE_DATA, so that it writes at the end only.
TEST(FileAccess, EveryFileOpenedForWritingCanBeLocked) {
  test::TempDir dir;
  for (const LinkAtPath links : {LinkAtPath::Refuse, LinkAtPath::Follow}) {
    for (const bool append : {false, true}) {
      const std::wstring path = dir.child(L"log");
      const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
          append ? openFileForAppending(path, links) : openFileForWriting(path, links),
          &std::fclose);
      ASSERT_NE(file, nullptr);
      PUBLIC_OBJECT_BASIC_INFORMATION info{};
      EXPECT_EQ(NtQueryObject(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.get()))),
                              ObjectBasicInformation, &info, sizeof info, nullptr),
                0);
      EXPECT_EQ(info.GrantedAccess & (FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA),
                append && links == LinkAtPath::Refuse ? FILE_READ_DATA | FILE_APPEND_DATA
                                                      : FILE_WRITE_DATA | FILE_APPEND_DATA)
          << append << static_cast<int>(links);
    }
  }
}

}  // namespace kv
