#include "log/log_placement.h"

#include <gtest/gtest.h>

#include "support/fake_system_services.h"

namespace kv {
namespace {

TEST(TimeText, ZeroPaddedTwentyFourHourClock) {
  test::FakeSystemServices system;
  struct Case {
    LocalTime clock;
    const wchar_t* time;
    const wchar_t* stamp;
  };
  const Case cases[] = {
      {{2026, 12, 6, 14, 5, 0}, L"12/06/2026 14:05:00", L"PC01_12062026_140500"},
      {{2027, 1, 2, 3, 4, 5}, L"01/02/2027 03:04:05", L"PC01_01022027_030405"},
      {{999, 10, 31, 23, 59, 59}, L"10/31/0999 23:59:59", L"PC01_10310999_235959"},
      {{2026, 7, 9, 0, 0, 0}, L"07/09/2026 00:00:00", L"PC01_07092026_000000"},
  };
  for (const Case& c : cases) {
    system.clock = c.clock;
    EXPECT_EQ(GetTimeText(), c.time);
    EXPECT_EQ(GetFileStamp(), c.stamp);
  }
  system.computer = L"";
  EXPECT_EQ(GetFileStamp(), L"_07092026_000000");
}

}  // namespace
}  // namespace kv
