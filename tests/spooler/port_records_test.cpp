#include "spooler/port_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "record_bytes.h"
#include "system/utf16_text.h"

namespace kv {
namespace {

template <typename Record>
std::vector<std::uint8_t> bytesOf(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

TEST(PortRecordsTest, RecordsHoldTheNameAndEveryFixedValue) {
  struct Case {
    std::u16string name;
    std::uint32_t protocol;
    std::uint32_t storedProtocol;
  };
  const Case cases[] = {
      {u"DL_PORT1", 0, 2},           {u"10.0.0.5:9100", 3, 3},         {u"", 0, 2},
      {u"\u30DD\u30FC\u30C8", 7, 7}, {std::u16string(63, u'x'), 2, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bytesOf(makeDeletePortData1(c.name)), test::expectedDeletePortData1(c.name));
    EXPECT_EQ(bytesOf(makePortData(c.name, c.protocol)),
              test::expectedPortData(c.name, c.storedProtocol));
  }
}

TEST(PortRecordsTest, OverlongNameIsCutAndStillTerminated) {
  const std::u16string longName(80, u'y');
  const std::u16string kept(63, u'y');
  EXPECT_EQ(bytesOf(makeDeletePortData1(longName)), test::expectedDeletePortData1(kept));
  EXPECT_EQ(bytesOf(makePortData(longName, 0)), test::expectedPortData(kept, 2));
}

TEST(Utf16TextTest, WideTextRoundTripsThroughUtf16Units) {
  struct Case {
    std::wstring wide;
    std::u16string units;
  };
  const Case cases[] = {
      {L"", u""},
      {L"LPT1:", u"LPT1:"},
      {L"\u00E9\u30DD", u"\u00E9\u30DD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toUtf16(c.wide), c.units);
    EXPECT_EQ(fromUtf16(c.units), c.wide);
  }
  // A lone surrogate is not text.
  EXPECT_EQ(fromUtf16(std::u16string(1, char16_t{0xD800})).size(), 1u);
  if constexpr (sizeof(wchar_t) == 4) {
    const std::wstring beyondPlane(1, static_cast<wchar_t>(0x1F5A8));
    EXPECT_EQ(toUtf16(beyondPlane), (std::u16string{0xD83D, 0xDDA8}));
    EXPECT_EQ(fromUtf16(std::u16string{0xD83D, 0xDDA8}), beyondPlane);
    EXPECT_EQ(fromUtf16(std::u16string(1, char16_t{0xD800})), std::wstring(1, 0xFFFD));
  }
}

}  // namespace
}  // namespace kv
