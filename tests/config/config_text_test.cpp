#include "config/config_text.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using List = std::vector<std::wstring>;

TEST(TrimBlanks, RemovesEveryBlankKindAtBothEndsOnly) {
  struct Case {
    std::wstring text;
    std::wstring trimmed;
  };
  const Case cases[] = {
      {L"", L""},       {L" \f\n\r\t\v", L""},    {L"\t A B \v", L"A B"},
      {L"\fA\n", L"A"}, {L"A\u00A0", L"A\u00A0"},  // a no-break space is no blank
  };
  for (const Case& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(trimBlanks(text), c.trimmed);
    EXPECT_EQ(text, c.trimmed);
  }
}

TEST(ReplaceAll, ResumesBehindTheLongerOfSearchAndReplacement) {
  struct Case {
    std::wstring text, search, replacement;
    std::wstring result;
    int count;
  };
  const Case cases[] = {
      {L"a-b-c", L"-", L"+", L"a+b+c", 2},
      {L"abc", L"x", L"y", L"abc", 0},
      // A shorter replacement skips the character right behind it.
      {L"\\\\\\\\", L"\\\\", L"\\", L"\\\\\\", 1},
      {L"\\\\x\\\\", L"\\\\", L"\\", L"\\x\\", 2},
      {L"\\\"\\\"", L"\\\"", L"\"", L"\"\\\"", 1},
      {L"\\n\\n", L"\\n", L"\n", L"\n\\n", 1},
      {L"\\nx\\n", L"\\n", L"\n", L"\nx\n", 2},
      // A longer replacement that holds the search text is not searched again.
      {L"aa", L"a", L"aa", L"aaaa", 2},
      {L"ab", L"ab", L"", L"", 1},
      {L"abab", L"ab", L"", L"ab", 1},
      // The skip is counted in the changed text: six backslashes become four, an occurrence
      // inside the skipped part stays, and one right behind it is replaced.
      {L"\\\\\\\\\\\\", L"\\\\", L"\\", L"\\\\\\\\", 2},
      {L"abcabcabc", L"abc", L"", L"abc", 2},
      {L"abcab", L"ab", L"x", L"xcx", 2},
      // Nothing to search for: nothing happens (and nothing hangs).
      {L"abc", L"", L"x", L"abc", 0},
      {L"", L"a", L"b", L"", 0},
  };
  for (const Case& c : cases) {
    std::wstring text = c.text;
    EXPECT_EQ(replaceAll(text, c.search, c.replacement), c.count) << c.text;
    EXPECT_EQ(text, c.result) << c.text;
  }
}

// Pins the result on a text of the size that once took minutes; how long it takes is measured
// by benchmarks, not here.
TEST(ReplaceAll, LongRunOfBackslashesKeepsOneInThree) {
  constexpr std::size_t kLength = 2 * 1024 * 1024;  // 3 * 699050 + 2
  std::wstring text(kLength, L'\\');
  EXPECT_EQ(replaceAll(text, L"\\\\", L"\\"), 699051);
  EXPECT_EQ(text.size(), 2 * 699050 + 1u);
  EXPECT_EQ(text.find_first_not_of(L'\\'), std::wstring::npos);
}

TEST(SplitList, KeepsEmptyItemsExceptAfterAFinalSeparator) {
  struct Case {
    std::wstring text;
    List items;
  };
  const Case cases[] = {
      {L"", {}},
      {L"A|B", {L"A", L"B"}},
      {L"A|", {L"A"}},
      {L"|A", {L"", L"A"}},
      {L"A||B", {L"A", L"", L"B"}},
      {L"|", {L""}},
      {L"||", {L"", L""}},
      {L" \t ", {L""}},
      {L"  Model A | Model B\t", {L"Model A", L"Model B"}},
      {L"A|B|A", {L"A", L"B", L"A"}},
  };
  for (const Case& c : cases) {
    List target;
    splitList(c.text, L'|', false, target);
    EXPECT_EQ(target, c.items) << c.text;
  }
}

TEST(SplitList, SkipsEmptyItemsWhenAskedAndAppendsToWhatIsThere) {
  List target{L"kept"};
  EXPECT_EQ(&splitList(L"A| |B||", L'|', true, target), &target);
  EXPECT_EQ(target, (List{L"kept", L"A", L"B"}));
  List commas;
  splitList(L"x,y", L',', false, commas);
  EXPECT_EQ(commas, (List{L"x", L"y"}));
}

TEST(UnquoteValue, DropsQuotesOnlyAroundValuesWithSeparatorsThenUnescapes) {
  struct Case {
    std::wstring value;
    std::wstring unquoted;
  };
  const Case cases[] = {
      {L"  A|B  ", L"A|B"},
      {L"\"A,B|C\"", L"A,B|C"},
      {L"\"A=B\"", L"A=B"},
      {L" \"A;B\" ", L"A;B"},
      // Without "=", "," or ";" the quotes stay.
      {L"\"A|B\"", L"\"A|B\""},
      // The last quote must be the last character, and a lone quote is not a pair.
      {L"\"A,B\" x", L"\"A,B\" x"},
      {L"\"", L"\""},
      {L"\",\"", L","},
      {L"A \\\"B\\\"", L"A \"B\""},
      {L"C:\\\\x", L"C:\\x"},
      {L"a\\b", L"a\\b"},
      {L"\\\\\\\\", L"\\\\\\"},
      {L"\\\"\\\"", L"\"\\\""},
      {L"@A", L"A"},
      {L"@@A", L"@A"},
      {L" @A", L"A"},
      {L"\"@A,B\"", L"A,B"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unquoteValue(c.value), c.unquoted) << c.value;
  }
}

}  // namespace
}  // namespace kv
