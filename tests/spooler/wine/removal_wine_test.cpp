// Queue, driver, connection and port removal against Wine's spooler.
#include <gtest/gtest.h>

#include <string>

#include "spooler/error_reporting.h"
#include "spooler/removals.h"
#include "wine_machine.h"

namespace kv {
namespace {

class QueueRemoval : public ::testing::Test {
 protected:
  winetest::ScopedLocalPort port_{L"KVW_REMOVAL:"};
  winetest::ScopedDriver driver_{L"KVW Removal Driver"};
};

TEST_F(QueueRemoval, DeletesAnExistingQueue) {
  winetest::ScopedQueue queue(L"KVW Removal Queue", driver_.name(), port_.name());
  ASSERT_TRUE(winetest::queueListed(queue.name()));
  EXPECT_TRUE(bMciDeletePrinter(queue.name()));
  EXPECT_EQ(dwMciGetLastError(), 0);
  EXPECT_FALSE(winetest::queueListed(queue.name()));
}

TEST_F(QueueRemoval, MissingQueueFailsAtTheOpenWith1801) {
  EXPECT_FALSE(bMciDeletePrinter(L"KVW No Such Queue"));
  EXPECT_EQ(dwMciGetLastError(), 1801);
}

// Wine refuses every delete flag of DeletePrinterDriverExW with ERROR_INVALID_PARAMETER, before
// it looks for the driver. So under Wine each driver deletion of the cleaner fails with 87, the
// driver stays, and even a driver that is not installed never reaches the not-installed code
// (1797) that Windows gives and that the cleaner counts as removed.
TEST_F(QueueRemoval, WineRefusesEveryDriverDeletionWith87) {
  const std::wstring drivers[] = {driver_.name(), L"KVW Driver Never Installed"};
  for (const std::wstring& driver : drivers) {
    SCOPED_TRACE(::testing::PrintToString(driver));
    EXPECT_FALSE(bMciDeletePrinterDriverEx(driver));
    EXPECT_EQ(dwMciGetLastError(), 87);
  }
  EXPECT_TRUE(winetest::driverListed(driver_.name()));
}

// Wine's DeletePrinterConnectionW answers TRUE for any name.
TEST(ConnectionRemoval, MissingConnectionCountsAsRemoved) {
  EXPECT_FALSE(bMciDeletePrinter(L"KVW No Such Queue"));  // leaves a code to be cleared
  EXPECT_TRUE(bMciDeletePrinterConnection(L"\\\\KVWSERVER\\No Such Printer"));
  EXPECT_EQ(dwMciGetLastError(), 0);
}

TEST(PortRemoval, RemovesALocalPort) {
  winetest::ScopedLocalPort port(L"KVW_REMOVE_PORT:");
  ASSERT_TRUE(winetest::portListed(port.name()));
  EXPECT_TRUE(bMciRemovePort(port.name()));
  EXPECT_EQ(dwMciGetLastError(), 0);
  EXPECT_FALSE(winetest::portListed(port.name()));
}

// A port nobody owns: Wine finds no monitor for it and answers ERROR_NOT_SUPPORTED (50).
TEST(PortRemoval, PortOfNoMonitorFailsWith50) {
  EXPECT_FALSE(bMciRemovePort(L"KVW_NO_SUCH_PORT"));
  EXPECT_EQ(dwMciGetLastError(), 50);
}

// The spooler's own port removal reaches a monitor's DeletePort entry; the monitor's refusal
// arrives as the platform code.
TEST(PortRemoval, MonitorPortGoesThroughTheMonitor) {
  winetest::ScopedTestMonitor monitor(L"KVW Removal Monitor", {L"KVW_MON_1", L"KVW_MON_2"},
                                      L"KVW Removal Monitor");
  EXPECT_TRUE(bMciRemovePort(L"KVW_MON_1"));
  EXPECT_EQ(dwMciGetLastError(), 0);
  EXPECT_FALSE(winetest::portListed(L"KVW_MON_1"));

  monitor.answerDeletePortWith(5);
  EXPECT_FALSE(bMciRemovePort(L"KVW_MON_2"));
  EXPECT_EQ(dwMciGetLastError(), 5);
  EXPECT_TRUE(winetest::portListed(L"KVW_MON_2"));
}

}  // namespace
}  // namespace kv
