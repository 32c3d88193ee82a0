// The maker's installer packages, as the first uninstall pass chooses them.
#include "check/check_exit_codes.h"
#include "check/check_run.h"
#include "messages/result_codes.h"
#include "products/product_discovery.h"
#include "rules/product_choice.h"
#include "rules/restart_owed.h"

namespace kv {
namespace {

CheckedObject checkPackage(const std::wstring& productCode, const NameList& candidates,
                           bool byModels) {
  CheckedObject package;
  package.facts.emplace_back("code", productCode);
  if (!GetProductInfoValue(productCode, L"ProductName", package.name)) {
    package.name = productCode;
    package.decision = L"keep";
    package.why = L"its product name cannot be read";
    return package;
  }
  const std::wstring* candidate = bracketedCandidateOf(package.name, candidates);
  if (candidate == nullptr) {
    package.decision = L"keep";
    package.why = byModels ? L"its name does not end in [<configured model>]"
                           : L"its name does not end in [<installed driver>]";
    return package;
  }
  package.decision = L"uninstall";
  package.why = L"its name ends in [" + *candidate + L"]";
  const UninstallChoice choice = uninstallChoiceFor(productCode, package.name);
  if (!choice.missingProgram.empty()) {
    package.why += L"; its registered uninstaller " + choice.missingProgram + L" is not there";
  }
  if (choice.way == UninstallChoice::Way::Run) {
    if (!choice.missingProgram.empty()) package.why += L", so the installer's own command runs";
    package.facts.emplace_back("command", choice.command);
  } else if (choice.way == UninstallChoice::Way::CannotExpand) {
    package.why += L"; no uninstall command can be made, so none is run";
  } else {
    // The cleaner runs nothing and counts the package as left.
    package.decision = L"keep";
    package.why += L" and the installer service keeps no package of it, so nothing is run";
  }
  return package;
}

}  // namespace

int checkPackages(CheckRun& run) {
  const RestartOwed owed = readRestartOwed();
  run.report.restartRequired = owed.required;
  run.report.restartSince = owed.since;
  run.report.restartProducts = owed.products;
  std::vector<std::wstring> productCodes;
  if (!EnumMakerProducts(productCodes)) {
    return listingFailed(kCheckEnumProductsFailed, L"Failed to enumerate product codes.");
  }
  if (productCodes.empty()) return 0;
  const PackageMatchNames candidates(run.config.modelList);
  if (!candidates.listed()) {
    return listingFailed(kResultEnumPrinters, L"Failed to enumerate drivers.");
  }
  for (const std::wstring& productCode : productCodes) {
    run.report.of(CheckedKind::Packages)
        .push_back(checkPackage(productCode, candidates.names(), candidates.byModels()));
  }
  return 0;
}

}  // namespace kv
