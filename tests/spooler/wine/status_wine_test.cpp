// Queue status checks against Wine's spooler.
#include <gtest/gtest.h>

#include <string>

#include "spooler/error_reporting.h"
#include "spooler/removals.h"
#include "spooler/status_checks.h"
#include "wine_machine.h"

namespace kv {
namespace {

class QueueStatus : public ::testing::Test {
 protected:
  winetest::ScopedLocalPort port_{L"KVW_STATUS:"};
  winetest::ScopedDriver driver_{L"KVW Status Driver"};
  winetest::ScopedQueue queue_{L"KVW Status Queue", driver_.name(), port_.name()};
};

// The status check reports only failures: the code of the failure before it stays.
TEST_F(QueueStatus, IdleQueueReadsZeroAndKeepsTheLastErrorCode) {
  ASSERT_FALSE(bMciDeletePrinter(L"KVW No Such Queue"));
  ASSERT_EQ(dwMciGetLastError(), 1801);
  EXPECT_EQ(bMciGetPrinterStatus(queue_.name()), 0);
  EXPECT_EQ(dwMciGetLastError(), 1801);
}

TEST_F(QueueStatus, IdleQueueHasNoJobsAndAClearCode) {
  ASSERT_FALSE(bMciDeletePrinter(L"KVW No Such Queue"));
  EXPECT_FALSE(bMciHasPrinterJobs(queue_.name()));
  EXPECT_EQ(dwMciGetLastError(), 0);
}

TEST(QueueStatusMissing, MissingQueueIsUnavailableWith1801) {
  EXPECT_EQ(bMciGetPrinterStatus(L"KVW No Such Queue"), -1);
  EXPECT_EQ(dwMciGetLastError(), 1801);
  EXPECT_FALSE(bMciHasPrinterJobs(L"KVW No Such Queue"));
  EXPECT_EQ(dwMciGetLastError(), 1801);
}

}  // namespace
}  // namespace kv
