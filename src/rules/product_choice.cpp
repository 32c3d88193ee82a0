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

std::optional<std::wstring> uninstallCommandFor(const std::wstring& productCode,
                                                const std::wstring& productName) {
  std::optional<RegisteredCommand> registered(std::in_place);
  if (!GetUninstallValue(productCode, L"UninstallString", registered->text, registered->type) ||
      !isCommandText(*registered)) {
    registered.reset();
    detailLog().info() << L"Making uninstall string : " << productName << endLine;
  }
  return uninstallCommandLine(productCode, registered);
}

}  // namespace kv
