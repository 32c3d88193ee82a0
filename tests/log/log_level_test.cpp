#include "log/log_level.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(LevelFromName, NamesInAnyCaseElseInfo) {
  struct Case {
    std::wstring name;
    std::int32_t value;
  };
  const Case cases[] = {
      {L"OFF", 1000},   {L"off", 1000},     {L"Off", 1000},    {L"FATAL", 600},   {L"error", 500},
      {L"WARN", 400},   {L"warning", 400},  {L"WaRnInG", 400}, {L"info", 300},    {L"DEBUG", 200},
      {L"debug", 200},  {L"all", 100},      {L"", 300},        {L"verbose", 300}, {L" DEBUG", 300},
      {L"DEBUG ", 300}, {L"WARNINGS", 300}, {L"0", 300},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<std::int32_t>(levelFromName(c.name)), c.value)
        << "name \"" << std::string(c.name.begin(), c.name.end()) << "\"";
  }
}

}  // namespace
}  // namespace kv
