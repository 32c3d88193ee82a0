#include "log/operation_record.h"

#include <gtest/gtest.h>

#include "log/logger.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

TEST(OperationRecord, CompletedWithEndTimeNumberAndVerdictThenLogClosed) {
  struct Case {
    std::int32_t number;
    bool ok;
    const char* line;
  };
  const Case cases[] = {
      {0, true, "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:06:07, 0, OK\r\n"},
      {2, false, "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:06:07, 2, NG\r\n"},
      {16, false, "Cleaner: PC01, Start:12/06/2026 14:05:00, End:12/06/2026 14:06:07, 16, NG\r\n"},
  };
  for (const Case& c : cases) {
    test::FakeSystemServices system;
    test::TempDir dir;
    ASSERT_TRUE(operationLog().open(dir.child(L"Operation.log")));
    startOperationRecord(L"PC01");
    system.clock = {2026, 12, 6, 14, 6, 7};
    finishOperationRecord(c.number, c.ok);
    EXPECT_FALSE(operationLog().isOpen());
    EXPECT_EQ(test::readBytes(dir.path() / "Operation.log"), c.line);
  }
}

TEST(OperationRecord, NothingIsWrittenBeforeTheRecordIsBegun) {
  test::FakeSystemServices system;
  test::TempDir dir;
  operationRecord().clear();
  ASSERT_TRUE(operationLog().open(dir.child(L"Operation.log")));
  finishOperationRecord(0, true);
  EXPECT_TRUE(operationLog().isOpen());
  operationLog().close();
  EXPECT_EQ(test::readBytes(dir.path() / "Operation.log"), "");
}

}  // namespace
}  // namespace kv
