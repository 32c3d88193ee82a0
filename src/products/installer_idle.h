#pragma once

#include <cstdint>

#include "system/call_ref.h"

namespace kv {

// Whether the installer service takes new work, as looking at its execute mutex found.
enum class InstallerIdle {
  Free,        // no installation held the mutex
  WasBusy,     // one held it and let it go within the bound
  StillBusy,   // one still holds it after the bound
  CannotTell,  // the mutex could not be opened or read
};

// Waits up to `boundMs` until no installation holds the installer service's execute mutex
// (kInstallerExecuteMutex), through InstallerService::current(): an installation still running
// (one whose uninstaller was ended at its time limit goes on in the service) makes the next
// package's uninstaller fail with 1618. The mutex is only looked at (opened for its state alone,
// read with ntQueryMutant every half second), never waited on: owned by this process even for a
// moment, it would turn away an installation that starts then with 1618. Its handle is closed on
// every path. `beforeWaiting` runs once, when the mutex is held at the first look.
InstallerIdle waitUntilInstallerIdle(std::uint32_t boundMs, CallRef beforeWaiting);

}  // namespace kv
