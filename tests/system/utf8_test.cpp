#include "system/utf8.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  const std::wstring samples[] = {L"", L"ASCII only", L"caf\u00e9 \u00c9", L"\u65e5\u672c\u8a9e",
                                  L"\U0001F5A8 printer"};
  for (const std::wstring& sample : samples) {
    EXPECT_EQ(utf8ToWide(wideToUtf8(sample)), sample);
  }
  // Each side of the boundaries between one, two, three and four bytes.
  const std::pair<std::wstring, std::string> encodings[] = {
      {L"\u007f", "\x7f"},
      {L"\u0080", "\xc2\x80"},
      {L"\u00e9", "\xc3\xa9"},
      {L"\u07ff", "\xdf\xbf"},
      {L"\u0800", "\xe0\xa0\x80"},
      {L"\uffff", "\xef\xbf\xbf"},
      {L"\U00010000", "\xf0\x90\x80\x80"},
      {L"\U0001F5A8", "\xf0\x9f\x96\xa8"},
      {L"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
  };
  for (const auto& [wide, bytes] : encodings) {
    EXPECT_EQ(wideToUtf8(wide), bytes);
    EXPECT_EQ(utf8ToWide(bytes), wide);
  }
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::wstring wide;
  };
  const Case cases[] = {
      {"a\xff"
       "b",
       L"a\ufffdb"},
      {"\xc3", L"\ufffd"},                      // truncated at the end
      {"\xc0\xaf", L"\ufffd\ufffd"},            // overlong slash
      {"\xed\xa0\x80", L"\ufffd\ufffd\ufffd"},  // encoded surrogate
      {"x\xe2\x82", L"x\ufffd"},
      // A sequence cut short ends at the first byte that does not continue it.
      {"x\xe2"
       "a",
       L"x\ufffda"},
      {"\xe2\x82"
       "a",
       L"\ufffda"},
      {"\xf0\x9f\x96"
       "a",
       L"\ufffda"},
      {"\xc3\xf0\x9f\x96\xa8", L"\ufffd\U0001F5A8"},
      {"a\x80"
       "b",
       L"a\ufffdb"},                                      // stray continuation byte
      {"\x80\xbf", L"\ufffd\ufffd"},                      // each stray one on its own
      {"\xe0\x80\xaf", L"\ufffd\ufffd\ufffd"},            // overlong, three bytes
      {"\xf4\x90\x80\x80", L"\ufffd\ufffd\ufffd\ufffd"},  // above U+10FFFF
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8ToWide(c.bytes), c.wide) << c.bytes;
  }
}

}  // namespace
}  // namespace kv
