#include "wine_machine.h"

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace kv::winetest {
namespace {

// Where the monitors record; a directory of its own so the files are easy to find after a run.
const std::filesystem::path kRecordDirectory = L"C:\\kvtest\\records";

// Whether a listing of the machine holds an entry named `name`.
template <typename Entry, typename NameOf>
bool listed(const std::vector<Entry>& entries, const std::wstring& name, NameOf nameOf) {
  for (const Entry& entry : entries) {
    if (nameOf(entry) == name) return true;
  }
  return false;
}

}  // namespace

ScopedLocalPort::ScopedLocalPort(std::wstring name) : name_(std::move(name)) {
  setup::deletePort(name_);
  EXPECT_STEP(setup::addPort(name_));
}
ScopedLocalPort::~ScopedLocalPort() { setup::deletePort(name_); }

ScopedDriver::ScopedDriver(std::wstring name) : name_(std::move(name)) {
  setup::deleteDriver(name_);
  EXPECT_STEP(setup::addDriver(name_));
}
ScopedDriver::~ScopedDriver() { setup::deleteDriver(name_); }

ScopedQueue::ScopedQueue(std::wstring name, const std::wstring& driver, const std::wstring& port)
    : name_(std::move(name)) {
  setup::deleteQueue(name_);
  EXPECT_STEP(setup::addQueue(name_, driver, port));
}
ScopedQueue::~ScopedQueue() { setup::deleteQueue(name_); }

ScopedTestMonitor::ScopedTestMonitor(std::wstring name, const std::vector<std::wstring>& ports,
                                     const std::wstring& reportedMonitor,
                                     const std::wstring& description)
    : name_(std::move(name)) {
  std::filesystem::create_directories(kRecordDirectory);
  // A monitor name may hold characters a file name may not.
  std::wstring fileName = L"monitor-";
  for (wchar_t character : name_) {
    fileName += std::iswalnum(character) ? character : L'_';
  }
  recordFile_ = (kRecordDirectory / (fileName + L".bin")).wstring();
  std::filesystem::remove(recordFile_);

  setup::deleteTestMonitor(name_);
  EXPECT_STEP(setup::addTestMonitor(name_, testMonitorDll()));
  setup::MonitorSettings settings;
  settings.reportedMonitor = reportedMonitor;
  settings.description = description;
  settings.recordFile = recordFile_;
  EXPECT_STEP(setup::configureTestMonitor(name_, settings));
  for (const std::wstring& port : ports) EXPECT_STEP(setup::addPort(port, name_));
}

ScopedTestMonitor::~ScopedTestMonitor() {
  setup::deleteTestMonitor(name_);
  std::error_code ignored;
  std::filesystem::remove(recordFile_, ignored);
}

void ScopedTestMonitor::answerDeletePortWith(std::uint32_t status) {
  setup::MonitorSettings settings;
  settings.deletePortStatus = status;
  EXPECT_STEP(setup::configureTestMonitor(name_, settings));
}

std::vector<std::uint8_t> ScopedTestMonitor::recordedBytes() const {
  std::ifstream in(std::filesystem::path(recordFile_), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring testMonitorDll() {
  // The build passes the DLL's path on the build machine; Wine shows that file system as Z:.
  std::wstring path = L"Z:" KV_TEST_MONITOR_DLL;
  for (wchar_t& character : path) {
    if (character == L'/') character = L'\\';
  }
  return path;
}

bool portListed(const std::wstring& port) {
  std::vector<setup::PortEntry> ports;
  EXPECT_TRUE(setup::listPorts(ports).ok());
  return listed(ports, port, [](const setup::PortEntry& entry) { return entry.name; });
}

bool queueListed(const std::wstring& queue) {
  std::vector<setup::QueueEntry> queues;
  EXPECT_TRUE(setup::listQueues(queues).ok());
  return listed(queues, queue, [](const setup::QueueEntry& entry) { return entry.name; });
}

bool driverListed(const std::wstring& driver) {
  std::vector<std::wstring> drivers;
  EXPECT_TRUE(setup::listDrivers(drivers).ok());
  return listed(drivers, driver, [](const std::wstring& entry) { return entry; });
}

}  // namespace kv::winetest
