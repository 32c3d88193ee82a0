#include <windows.h>

#include <gtest/gtest.h>

#include "system/process_account_win.h"

namespace kv {

// Wine runs every program as one user of its own (S-1-5-21-0-0-0-1000), so LocalSystem itself is
// told from other well-known accounts by their identifiers.
TEST(ProcessAccount, OnlyLocalSystemIsLocalSystem) {
  const struct {
    WELL_KNOWN_SID_TYPE type;
    bool localSystem;
  } rows[] = {{WinLocalSystemSid, true},
              {WinLocalServiceSid, false},
              {WinBuiltinAdministratorsSid, false},
              {WinWorldSid, false}};
  for (const auto& row : rows) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(row.type, nullptr, sid, &size)) << row.type;
    EXPECT_EQ(isLocalSystemSid(sid), row.localSystem) << row.type;
  }
  EXPECT_FALSE(processRunsAsLocalSystem());
}

}  // namespace kv
