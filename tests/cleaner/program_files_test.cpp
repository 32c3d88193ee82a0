#include "cleaner/program_files.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(MessageFileBeside, ProgramDirectoryEndsAtTheLastSeparator) {
  struct Case {
    std::wstring program;
    std::wstring messageFile;
  };
  const Case cases[] = {
      {L"C:\\kvtool\\kvcleaner.exe", L"C:\\kvtool\\KV_TOOLS_LNG.IRC"},
      {L"\\\\server\\share\\tools\\kvcleaner.exe", L"\\\\server\\share\\tools\\KV_TOOLS_LNG.IRC"},
      {L".\\kvcleaner.exe", L".\\KV_TOOLS_LNG.IRC"},
      {L"C:\\kvcleaner.exe", L"C:\\KV_TOOLS_LNG.IRC"},
      {L"C:/kvtool/kvcleaner.exe", L"C:/kvtool/KV_TOOLS_LNG.IRC"},
      {L"C:\\a/b\\kvcleaner.exe", L"C:\\a/b\\KV_TOOLS_LNG.IRC"},
      {L"C:\\a\\b/kvcleaner.exe", L"C:\\a\\b/KV_TOOLS_LNG.IRC"},
      {L"kvcleaner.exe", L"KV_TOOLS_LNG.IRC"},
      {L"C:kvcleaner.exe", L"KV_TOOLS_LNG.IRC"},
      {L"", L"KV_TOOLS_LNG.IRC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(messageFileBeside(c.program), c.messageFile) << c.program;
  }
}

}  // namespace
}  // namespace kv
