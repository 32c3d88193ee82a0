// The maker's installer packages whose product name ends in a model or driver name in brackets.
// Both passes uninstall in a test run too; only the count of packages left installed looks at
// the mode.
#include <optional>
#include <string>

#include "cleaner/cleaning_phases.h"
#include "log/log_placement.h"
#include "log/logger.h"
#include "messages/error_dialog.h"
#include "messages/result_codes.h"
#include "products/product_discovery.h"
#include "rules/product_choice.h"
#include "spooler/inventory.h"
#include "spooler/process_runner.h"

namespace kv {
namespace {

// Five minutes for each uninstaller; one still running then is ended.
constexpr std::uint32_t kUninstallLimitMs = 300000;

// Windows Installer's "restart required" and "restart started" exit codes.
constexpr std::uint32_t kRestartRequired = 3010;
constexpr std::uint32_t kRestartInitiated = 1641;

// The uninstaller's exit code is not taken as its verdict (one exits 1603 having removed its
// product): whether the product is still installed at the end decides.
void runUninstaller(CleanerRun& run, const std::wstring& productCode, const std::wstring& name) {
  const std::optional<std::wstring> command = uninstallCommandFor(productCode, name);
  if (!command) return;
  detailLog().debug() << L"Uninstall command : " << *command << endLine;
  const ProcessOutcome outcome = runChildProcess(*command, kUninstallLimitMs);
  if (outcome.end == ProcessOutcome::End::TimedOut) run.productsHung.insert(productCode);
  if (outcome.end == ProcessOutcome::End::Exited &&
      (outcome.exitCode == kRestartRequired || outcome.exitCode == kRestartInitiated)) {
    detailLog().warn() << L"Restart required to finish uninstalling product : " << name << endLine;
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
    if (!run.productsChosen.contains(productCode) ||
        !GetProductInfoValue(productCode, L"ProductName", name)) {
      continue;
    }
    detailLog().error() << L"Error: Failed to uninstall product : " << name << endLine;
    if (run.options.clean) ++run.failureCount;
    run.productsChosen.erase(productCode);
  }
}

void uninstallMatchingProducts(CleanerRun& run) {
  if (run.productCodes.empty()) return;
  // Configured models name the packages; without them every installed driver does, whoever made
  // it, since the Publisher has already chosen the maker's packages.
  NameList drivers;
  const bool byModels = !run.config.modelList.empty();
  if (!byModels) {
    if (!bMciEntryDriverList(drivers)) {
      detailLog().error() << L"Failed to enumerate drivers." << endLine;
      showErrorForCode(kResultEnumPrinters, L"");
    }
    detailLog().info() << L"Entry driver list : num = " << drivers.size() << endLine;
  }
  const NameList& candidates = byModels ? run.config.modelList : drivers;
  for (const std::wstring& productCode : run.productCodes)
    uninstallProduct(run, productCode, candidates);
  ReleaseNameList(drivers);
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
  uninstallMatchingProducts(run);
}

void uninstallProductsSecondPass(CleanerRun& run) {
  detailLog().info() << L"KVTool cleaner Uninstall product Again: " << GetTimeText() << endLine;
  uninstallMatchingProducts(run);
  reportProductsStillInstalled(run);
}

}  // namespace kv
