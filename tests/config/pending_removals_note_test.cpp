#include "config/pending_removals_note.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

const std::string kHeader = "kvcleaner pending removals 2\r\n";
const std::string kFirstHeader = "kvcleaner pending removals 1\r\n";

// Any name comes back as it was, whatever it holds; the bytes are the documented ones.
TEST(PendingRemovalsFile, NamesComeBackAsTheyWere) {
  struct Case {
    std::vector<PendingRemoval> entries;
    std::string bytes;
  };
  const Case cases[] = {
      {{}, kHeader},
      {{{L"NOVAX D1", L"DLM1"}, {L"NOVAX D1", L"C:\\out\\a.prn"}},
       kHeader + "NOVAX D1\tDLM1\tboth\t0\t\r\nNOVAX D1\tC:\\out\\a.prn\tboth\t0\t\r\n"},
      {{{L"100%\tZul\r\n", L"%25 %09"}},
       kHeader + "100%25%09Zul%0D%0A\t%2525 %2509\tboth\t0\t\r\n"},
      {{{L"Zul Caf\u00E9 \u2603", L""}}, kHeader + "Zul Caf\xC3\xA9 \xE2\x98\x83\t\tboth\t0\t\r\n"},
      // Surrogates without their partner, which UTF-8 cannot carry; a pair is one character.
      {{{L"NV\xD800", L"\xDC00\xD800%"}}, kHeader + "NV%uD800\t%uDC00%uD800%25\tboth\t0\t\r\n"},
      {{{L"\U0001F5A8 \xDFFF", L"P"}}, kHeader + "\xF0\x9F\x96\xA8 %uDFFF\tP\tboth\t0\t\r\n"},
      // Two lone low (and high) surrogates are no pair; only the port left, its error and time.
      {{{L"\xDC00\xDC01", L"\xDBFF\xDBFF", true, 4294967295u, L"2026-12-06T14:05:00Z%\xD800"}},
       kHeader + "%uDC00%uDC01\t%uDBFF%uDBFF\tport\t4294967295\t2026-12-06T14:05:00Z%25%uD800\r\n"},
      // A package's entry makes it a note that older cleaners set aside rather than misread.
      {{{L"D", L"P"}, {L"oem3.inf", L"S:\\n.inf", false, 183, L"2026-12-06T14:05:00Z", true}},
       "kvcleaner pending removals 3\r\nD\tP\tboth\t0\t\r\n"
       "oem3.inf\tS:\\n.inf\tpackage\t183\t2026-12-06T14:05:00Z\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(encodePendingRemovals(c.entries), c.bytes);
    EXPECT_EQ(decodePendingRemovals(c.bytes), c.entries);
  }
}

TEST(PendingRemovalsFile, OnlyItsOwnShapeIsRead) {
  using Entries = std::vector<PendingRemoval>;
  struct Case {
    std::string bytes;
    std::optional<Entries> entries;
  };
  const Case cases[] = {
      {"kvcleaner pending removals 1\nD\tP\nE\tQ", Entries{{L"D", L"P"}, {L"E", L"Q"}}},
      {kHeader + "D\tP\tport\t4294967296\t\r\n", std::nullopt},
      {"", std::nullopt},
      {"kvcleaner pending removals 4\r\nD\tP\tboth\t0\t\r\n", std::nullopt},
      {kHeader + "D\tP\tpackage\t0\t\r\n", std::nullopt},
      {"\xEF\xBB\xBF" + kHeader, std::nullopt},
      {kHeader + "D P\r\n", std::nullopt},
      {kFirstHeader + "D\tP\tQ\r\n", std::nullopt},
      {kFirstHeader + "D%2\tP\r\n", std::nullopt},
      {kFirstHeader + "D\tP%41\r\n", std::nullopt},
      {kHeader + "\r\n", std::nullopt},
      {kFirstHeader + "D%uD7FF\tP\r\n", std::nullopt},
      {kFirstHeader + "D%ud800\tP\r\n", std::nullopt},
      {kFirstHeader + "D\tP%uDC0\r\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(decodePendingRemovals(c.bytes), c.entries);
  }
}

}  // namespace
}  // namespace kv
