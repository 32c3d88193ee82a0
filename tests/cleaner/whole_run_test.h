#pragma once

#include <gtest/gtest.h>

#include "log/logger.h"
#include "standins/installer_memory.h"
#include "standins/spooler_memory.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv::test {

// A whole run's test: the stand-ins installed (an empty print system and installer unless a test
// adds to them), the program "installed" in the test directory with its message text file, and
// the process-wide logs as start-up finds them when the test ends.
class WholeRunTest : public ::testing::Test {
 protected:
  WholeRunTest() {
    writeBytes(dir.path() / "KV_TOOLS_LNG.IRC", "[English]\nAFX_IDS_APP_TITLE=Cleaner\n");
  }
  ~WholeRunTest() override { resetLogs(); }

  // A log that could not be opened keeps its console echo: each run starts from scratch.
  static void resetLogs() {
    for (Logger* log : {&detailLog(), &operationLog()}) {
      log->close();
      log->setEcho(false);
      log->setLevel(LogLevel::Info);
    }
  }

  FakeSystemServices system;
  TempDir dir;
  MemoryPrintSystem memory;
  ScopedPrintSpooler installedSpooler{memory};
  MemoryInstaller installer;
  ScopedInstallerService installedInstaller{installer};
};

}  // namespace kv::test
