#include "messages/message_format.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(InsertIntoMessage, OnlyPercentSTakesTheInsertAndNothingElseIsFormatted) {
  struct Case {
    std::wstring text;
    std::wstring insert;
    std::wstring message;
  };
  const Case cases[] = {
      {L"Cannot delete %s.", L"Queue 1", L"Cannot delete Queue 1."},
      {L"%s and %s", L"X", L"X and X"},
      {L"No insert here", L"X", L"No insert here"},
      // What would read a missing argument stays as written.
      {L"%d %n %x %p %ls %S %10s %", L"X", L"%d %n %x %p %ls %S %10s %"},
      {L"100%% done", L"X", L"100% done"},
      {L"%%s", L"X", L"%s"},
      {L"%%%s", L"X", L"%X"},
      {L"%", L"X", L"%"},
      {L"end %", L"X", L"end %"},
      // The insert is not scanned again.
      {L"[%s]", L"%s %d", L"[%s %d]"},
      {L"", L"X", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(insertIntoMessage(c.text, c.insert), c.message) << c.text;
  }
}

}  // namespace
}  // namespace kv
