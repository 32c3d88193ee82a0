// The maker's installer packages whose product name ends in a model or driver name in brackets.
// Both passes uninstall in a test run too; only the count of packages left installed looks at
// the mode.
#include <string>

#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "messages/error_dialog.h"
#include "messages/result_codes.h"
#include "products/installer_idle.h"
#include "products/product_discovery.h"
#include "rules/product_choice.h"
#include "rules/restart_owed.h"
#include "spooler/process_runner.h"
#include "system/system_services.h"

namespace kv {
namespace {

// Five minutes for each uninstaller; one still running then is ended.
constexpr std::uint32_t kUninstallLimitMs = 300000;
// How long the next uninstaller waits for the installer service to finish another installation
// (one whose uninstaller was ended at the limit goes on in the service).
constexpr std::uint32_t kInstallerBusyLimitMs = 120000;

// Windows Installer's "restart required", "restart started" and "another installation is in
// progress" exit codes.
constexpr std::uint32_t kRestartRequired = 3010;
constexpr std::uint32_t kRestartInitiated = 1641;
constexpr std::uint32_t kInstallAlreadyRunning = 1618;

void waitForInstallerService() {
  Logger& log = detailLog();
  const InstallerIdle idle = waitUntilInstallerIdle(kInstallerBusyLimitMs, [&log] {
    log.debug() << L"Waiting for Windows Installer to finish another installation (at most "
                << kInstallerBusyLimitMs << L" msec)" << endLine;
  });
  if (idle == InstallerIdle::StillBusy) {
    log.debug() << L"Windows Installer is still busy; the uninstaller starts all the same"
                << endLine;
  } else if (idle == InstallerIdle::CannotTell) {
    log.debug() << L"Cannot tell whether Windows Installer is busy" << endLine;
  }
}

void noteRestartOwed(const std::wstring& name) {
  detailLog().warn() << L"Restart required to finish uninstalling product : " << name << endLine;
  if (!recordRestartOwed(name)) {
    detailLog().warn() << L"Cannot record the restart owed in " << kMachineValuesKey << L"\\"
                       << kRestartOwedValue << endLine;
  }
}

// The uninstaller's exit code is not taken as its verdict (one exits 1603 having removed its
// product): whether the product is still installed at the end decides. Only an uninstaller that
// did not run its course, or was turned away by the installer service, fails in the pass.
void runUninstaller(CleanerRun& run, const std::wstring& productCode, const std::wstring& name) {
  Logger& log = detailLog();
  const UninstallChoice choice = uninstallChoiceFor(productCode, name);
  if (choice.way == UninstallChoice::Way::CannotExpand) {
    log.error() << L"Failed to expand the uninstall command of product : " << name << endLine;
    return;
  }
  if (choice.way == UninstallChoice::Way::NoUninstaller) {
    log.error() << L"Failed to uninstall product, its uninstaller is not there : " << name
                << endLine;
    return;
  }
  log.debug() << L"Uninstall command : " << choice.command << endLine;
  waitForInstallerService();
  const ProcessOutcome outcome = runChildProcess(choice.command, kUninstallLimitMs);
  if (outcome.end == ProcessOutcome::End::TimedOut) run.productsHung.insert(productCode);
  if (outcome.end != ProcessOutcome::End::Exited) {
    log.error() << L"Error: Failed to uninstall product : " << name << endLine;
    return;
  }
  log.debug() << L"Uninstaller exit code : " << outcome.exitCode << endLine;
  if (outcome.exitCode == kInstallAlreadyRunning) {
    log.error() << L"Failed to uninstall product, another installation is in progress ("
                << kInstallAlreadyRunning << L") : " << name << endLine;
  } else if (outcome.exitCode == kRestartRequired || outcome.exitCode == kRestartInitiated) {
    noteRestartOwed(name);
  }
}

// A restart made since the record was written settles it; a clean run clears it.
void settleRestartOwed(const CleanerRun& run) {
  const RestartOwed owed = readRestartOwed();
  if (owed.required) {
    detailLog().info() << L"A restart is still owed since " << owed.since << endLine;
  } else if (owed.recorded && run.options.clean &&
             SystemServices::current().deleteMachineValue(kRestartOwedValue)) {
    detailLog().debug() << L"The PC has restarted since the restart owed was recorded" << endLine;
  }
}

void uninstallProduct(CleanerRun& run, const std::wstring& productCode,
                      const NameList& candidates) {
  Logger& log = detailLog();
  std::wstring name;
  if (!GetProductInfoValue(productCode, L"ProductName", name)) {
    log.debug() << L"Failed to get product name : " << productCode << endLine;
    run.productsChosen.erase(productCode);
    return;
  }
  if (bracketedCandidateOf(name, candidates) == nullptr) {
    log.debug() << L"Not uninstall product : " << name << endLine;
    return;
  }
  run.productsChosen.insert(productCode);
  // A second hanging uninstaller would only cost another five minutes.
  if (run.productsHung.contains(productCode)) {
    log.debug() << L"Not uninstall product again, its uninstaller did not end : " << name
                << endLine;
    return;
  }
  log.debug() << L"Uninstall product : " << name << endLine;
  runUninstaller(run, productCode, name);
}

// A chosen product the installer service still names was not uninstalled, whatever its
// uninstaller said. Only those the second pass saw installed are asked again: a product removed
// earlier has already printed its failed read once. Counted in a clean run only, so that a test
// run keeps its outcome.
void reportProductsStillInstalled(CleanerRun& run) {
  for (const std::wstring& productCode : run.productCodes) {
    std::wstring name;
    if (!run.productsChosen.contains(productCode) || !GetInstalledProductName(productCode, name)) {
      continue;
    }
    detailLog().error() << L"Product still installed at the end of the run : " << name << endLine;
    if (run.options.clean) ++run.failureCount;
    run.productsChosen.erase(productCode);
  }
}

void uninstallMatchingProducts(CleanerRun& run) {
  if (run.productCodes.empty()) return;
  const PackageMatchNames candidates(run.config.modelList);
  if (!candidates.byModels()) {
    if (!candidates.listed()) {
      detailLog().error() << L"Failed to enumerate drivers." << endLine;
      showErrorForCode(kResultEnumPrinters, L"");
    }
    detailLog().info() << L"Entry driver list : num = " << candidates.names().size() << endLine;
  }
  for (const std::wstring& productCode : run.productCodes)
    uninstallProduct(run, productCode, candidates.names());
}

}  // namespace

void uninstallProductsFirstPass(CleanerRun& run) {
  Logger& log = detailLog();
  log.debug() << L"--- Uninstall Tarn Packages ---" << endLine;
  if (EnumMakerProducts(run.productCodes)) {
    log.info() << L"Get enumerate product codes : num = " << run.productCodes.size() << endLine;
  } else {
    log.error() << L"Failed to enumerate product codes." << endLine;
  }
  // After the count line, so that the pass's own lines open it as they always have.
  settleRestartOwed(run);
  uninstallMatchingProducts(run);
}

void uninstallProductsSecondPass(CleanerRun& run) {
  detailLog().info() << L"KVTool cleaner Uninstall product Again: " << GetTimeText() << endLine;
  uninstallMatchingProducts(run);
  reportProductsStillInstalled(run);
}

}  // namespace kv
