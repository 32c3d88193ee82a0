#include "messages/result_codes.h"

#include <gtest/gtest.h>

#include <set>

#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

TEST(MessageIdForCode, CodesOneTo113HaveTheirIdentifiers) {
  struct Case {
    std::int32_t code;
    const wchar_t* id;
  };
  const Case cases[] = {
      {1, L"IDS_MSI_ERR_OSNOTSUPPOTED"},
      {4, L"IDS_KVTOOL_ERR_READSCENARIO"},
      {10, L"IDS_KVTOOL_ERR_INIFILE_CHECK"},
      {11, L"IDS_KVTOOL_ERR_INIFILENOTFOUND"},
      {16, L"IDS_KVTOOL_ERR_ENUMNETPRN"},
      {17, L"IDS_KVTOOL_ERR_ENUMPRN"},
      {18, L"IDS_KVTOOL_ERR_ENUMPORTS"},
      {30, L"IDS_KVTOOL_ERR_NOWPRINTING"},
      {42, L"IDS_KVTOOL_ERR_BUSY"},
      {44, L"IDS_KVTOOL_ERR_DELETE_DRVPKG"},
      {50, L"IDS_KVTOOL_ERR_UTBLITEM_TOO_LONG2"},
      {60, L"IDS_KVTOOL_ERR_VERDOWN"},
      {70, L"IDS_KVTOOL_ERR_PORT_BUSY"},
      {80, L"IDS_KVTOOL_ERR_INSTALL_CANCELD"},
      {82, L"IDS_KVTOOL_MSG_FAILE_SET_DEFAULT_PRINTER"},
      {90, L"IDS_APP_ERR_INSTALL_FAILED"},
      {100, L"IDS_KVTOOL_MSG_NORENEWDRIVER"},
      {110, L"IDS_KVTOOL_ERR_V4DRIVER_NOTSUPPORTED_OS"},
      {112, L"IDS_KVTOOL_MSG_NO_HOTFIX2"},
      {113, L"IDS_KVTOOL_ERR_PORTNAME"},
  };
  for (const Case& c : cases) {
    std::wstring id;
    EXPECT_TRUE(messageIdForCode(c.code, id)) << c.code;
    EXPECT_EQ(id, c.id) << c.code;
  }
}

TEST(MessageIdForCode, EveryIdentifierIsDistinctAndWellFormed) {
  std::set<std::wstring> seen;
  for (std::int32_t code = 1; code <= 113; ++code) {
    std::wstring id;
    ASSERT_TRUE(messageIdForCode(code, id)) << code;
    EXPECT_TRUE(id.starts_with(L"IDS_")) << code;
    EXPECT_EQ(id.find_first_not_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"), std::wstring::npos)
        << code;
    EXPECT_TRUE(seen.insert(id).second) << "identifier of " << code << " repeats";
  }
}

TEST(MessageIdForCode, OtherCodesHaveNone) {
  for (const std::int32_t code : {0, -1, -4, 114, 1000, INT32_MIN, INT32_MAX}) {
    std::wstring id = L"left over";
    EXPECT_FALSE(messageIdForCode(code, id)) << code;
    EXPECT_EQ(id, L"") << code;
  }
}

TEST(MessageTextForCode, ReadsTheIdentifierFromTheFilesSection) {
  test::FakeSystemServices system;
  test::TempDir dir;
  test::writeBytes(dir.path() / "m.IRC",
                   "[English]\nids_kvtool_err_enumprn=Cannot list\nIDS_KVTOOL_ERR_BUSY=_NOPT\n"
                   "[German]\nIDS_KVTOOL_ERR_ENUMPORTS=Anschluesse\n");
  const MessageFile file(dir.child(L"m.IRC"));
  struct Case {
    std::int32_t code;
    bool found;
    std::wstring text;
  };
  const Case cases[] = {
      {17, true, L"Cannot list"}, {42, false, L"untouched"},
      {18, false, L"untouched"},  // only in another section
      {16, false, L"untouched"},  {0, false, L"untouched"},
      {114, false, L"untouched"},
  };
  for (const Case& c : cases) {
    std::wstring text = L"untouched";
    EXPECT_EQ(messageTextForCode(file, c.code, text), c.found) << c.code;
    EXPECT_EQ(text, c.text) << c.code;
  }
}

}  // namespace
}  // namespace kv
