#pragma once

// The machine the spooler tests under Wine work on: print objects that a test puts on it for its
// own lifetime, and what a test port monitor delivered. Every object removes a leftover of the
// same name first (from a run that crashed) and removes itself when it goes out of scope, so the
// shared prefix is as it was after each test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "machine_setup/machine_setup.h"

namespace kv::winetest {

// Fails the current test, naming the failed call and its code, when a set-up step fails. (Not
// fatal: the steps also run in constructors, and later checks then fail on the missing object.)
#define EXPECT_STEP(step)                                                                        \
  do {                                                                                           \
    const ::kv::setup::StepResult stepResult_ = (step);                                          \
    EXPECT_TRUE(stepResult_.ok()) << #step << ": " << ::testing::PrintToString(stepResult_.call) \
                                  << " failed with error " << stepResult_.error;                 \
  } while (false)

class ScopedLocalPort {
 public:
  explicit ScopedLocalPort(std::wstring name);
  ~ScopedLocalPort();
  const std::wstring& name() const { return name_; }

 private:
  std::wstring name_;
};

class ScopedDriver {
 public:
  explicit ScopedDriver(std::wstring name);
  ~ScopedDriver();
  const std::wstring& name() const { return name_; }

 private:
  std::wstring name_;
};

class ScopedQueue {
 public:
  ScopedQueue(std::wstring name, const std::wstring& driver, const std::wstring& port);
  ~ScopedQueue();
  const std::wstring& name() const { return name_; }

 private:
  std::wstring name_;
};

// The test port monitor DLL of this build registered under `name`, owning `ports`, reporting
// `reportedMonitor` and `description` in the port enumeration and recording every "DeletePort"
// input record in its own file.
class ScopedTestMonitor {
 public:
  ScopedTestMonitor(std::wstring name, const std::vector<std::wstring>& ports,
                    const std::wstring& reportedMonitor, const std::wstring& description = L"");
  ~ScopedTestMonitor();
  const std::wstring& name() const { return name_; }
  // The status the monitor answers to "DeletePort" (and DeletePortW) from now on.
  void answerDeletePortWith(std::uint32_t status);
  // Every "DeletePort" input record delivered so far, end to end.
  std::vector<std::uint8_t> recordedBytes() const;

 private:
  std::wstring name_;
  std::wstring recordFile_;
};

// The test port monitor DLL of this build, as a Windows path.
std::wstring testMonitorDll();

// Whether the spooler lists these objects now.
bool portListed(const std::wstring& port);
bool queueListed(const std::wstring& queue);
bool driverListed(const std::wstring& driver);

}  // namespace kv::winetest
