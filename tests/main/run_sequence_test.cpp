#include "main/run_sequence.h"

#include <gtest/gtest.h>

#include "messages/error_dialog.h"
#include "support/fake_system_services.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

TEST(RunSequence, FailedDriverDeletionIsShownOnlyWithPopupAndEndsWithExitCode1) {
  test::FakeSystemServices system;
  test::TempDir dir;
  test::writeBytes(dir.path() / "KV_TOOLS_LNG.IRC",
                   "[English]\nAFX_IDS_APP_TITLE=Cleaner\n"
                   "IDS_KVTOOL_ERR_DELETE_DRVPKG=Drivers remain.\n");
  checkMessageFile(dir.child(L"KV_TOOLS_LNG.IRC"));
  struct Case {
    std::int32_t failures;
    bool popup;
    int exitCode;
    size_t boxes;
  };
  const Case cases[] = {
      {0, false, 0, 0},
      {0, true, 0, 0},
      {2, false, 1, 0},
      {2, true, 1, 1},
  };
  for (const Case& c : cases) {
    system.shownBoxes.clear();
    setMessageBoxesEnabled(c.popup);
    CleanerRun run;
    run.options.popup = c.popup;
    run.failureCount = c.failures;
    EXPECT_EQ(runSequence(run), c.exitCode);
    ASSERT_EQ(system.shownBoxes.size(), c.boxes);
    if (c.boxes == 1) {
      EXPECT_EQ(system.shownBoxes[0].text, L"Drivers remain.");
      EXPECT_EQ(system.shownBoxes[0].caption, L"Cleaner");
    }
  }
  setMessageBoxesEnabled(false);
}

}  // namespace
}  // namespace kv
