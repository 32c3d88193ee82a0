#include "rules/product_choice.h"

#include <utility>

#include "log/logger.h"
#include "products/product_discovery.h"
#include "products/uninstall_command.h"
#include "spooler/inventory.h"

namespace kv {
namespace {

bool endsInBracketed(const std::wstring& productName, const std::wstring& candidate) {
  const std::wstring pattern = L"[" + candidate + L"]";
  return productName.size() >= pattern.size() &&
         productName.compare(productName.size() - pattern.size(), pattern.size(), pattern) == 0;
}

// A registered command worth running: text with something in it. A REG_DWORD read as text, or
// an empty string, would run " /Qn" alone.
bool isCommandText(const RegisteredCommand& registered) {
  const bool text = registered.type == InstallerService::kRegSz ||
                    registered.type == InstallerService::kRegExpandSz;
  return text && registered.text.find_first_not_of(L" \t") != std::wstring::npos;
}

}  // namespace

PackageMatchNames::PackageMatchNames(const NameList& models)
    : models_(models), byModels_(!models.empty()) {
  if (!byModels_) listed_ = bMciEntryDriverList(drivers_);
}

PackageMatchNames::~PackageMatchNames() { ReleaseNameList(drivers_); }

const std::wstring* bracketedCandidateOf(const std::wstring& productName,
                                         const NameList& candidates) {
  for (auto candidate = candidates.rbegin(); candidate != candidates.rend(); ++candidate) {
    if (endsInBracketed(productName, *candidate)) return &*candidate;
  }
  return nullptr;
}

UninstallChoice uninstallChoiceFor(const std::wstring& productCode,
                                   const std::wstring& productName) {
  using Made = UninstallCommandLine::Made;
  using Way = UninstallChoice::Way;
  std::optional<RegisteredCommand> registered(std::in_place);
  if (!GetUninstallValue(productCode, L"UninstallString", registered->text, registered->type) ||
      !isCommandText(*registered)) {
    registered.reset();
    detailLog().info() << L"Making uninstall string : " << productName << endLine;
  }
  UninstallCommandLine line = uninstallCommandLine(productCode, registered);
  if (line.made == Made::CannotExpand) return {Way::CannotExpand, L"", L""};
  if (line.made == Made::Ready) return {Way::Run, std::move(line.text), L""};
  detailLog().warn() << L"The registered uninstaller is not there, so it is not run : " << line.text
                     << endLine;
  std::wstring package;
  if (!GetProductInfoValue(productCode, L"LocalPackage", package) || package.empty()) {
    return {Way::NoUninstaller, L"", std::move(line.text)};
  }
  detailLog().info() << L"Making uninstall string : " << productName << endLine;
  return {Way::Run, uninstallCommandLine(productCode, std::nullopt).text, std::move(line.text)};
}

}  // namespace kv
