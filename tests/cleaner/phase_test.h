#pragma once

#include <gtest/gtest.h>

#include <string>

#include "cleaner/cleaner_run.h"
#include "cleaner/cleaning_phases.h"
#include "log/logger.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv::test {

// A phase test: the in-memory print system installed as the spooler, the detail log at every
// level on a file of its own, and a run that really deletes unless a test says otherwise.
class PhaseTest : public ::testing::Test {
 protected:
  PhaseTest() {
    EXPECT_TRUE(detailLog().open(dir.child(L"detail.log")));
    detailLog().setLevel(LogLevel::All);
    run.options.clean = true;
  }
  ~PhaseTest() override {
    detailLog().close();
    detailLog().setLevel(LogLevel::Info);
  }

  // The detail log so far, with "\n" line ends; from the first line that begins with `marker`
  // when one is given (empty when there is none).
  std::string log(const std::string& marker = "") const {
    std::string text = readBytes(dir.path() / "detail.log");
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
      text.erase(at, 1);
    }
    if (marker.empty()) return text;
    const std::size_t at = text.starts_with(marker) ? 0 : text.find("\n" + marker);
    return at == std::string::npos ? "" : text.substr(at == 0 ? 0 : at + 1);
  }

  // The calls that change the print system or ask a queue for its state: everything but the
  // enumerations.
  std::vector<std::wstring> nonListingCalls() const {
    std::vector<std::wstring> calls;
    for (const std::wstring& call : memory.calls()) {
      if (!call.starts_with(L"Enum")) calls.push_back(call);
    }
    return calls;
  }

  // The steps of a run from the listing of the local queues to their deletion, in runSequence's
  // order.
  void removeLocalQueuesNoted() {
    listLocalQueues(run);
    takeOverPendingRemovals(run);
    notePendingRemovals(run);
    removeLocalQueues(run);
  }

  void addQueue(const std::wstring& name, const std::wstring& driver, const std::wstring& port,
                std::uint32_t status = 0, std::uint32_t jobs = 0) {
    memory.addQueue({name, driver, port, status, jobs});
  }

  // A port of the system's local monitor, as the spooler lists it.
  void addLocalPort(const std::wstring& name) {
    memory.addPort({name, L"Local Monitor", L"Local Port", 1});
  }

  FakeSystemServices system;
  TempDir dir;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installed{memory};
  CleanerRun run;
};

}  // namespace kv::test
