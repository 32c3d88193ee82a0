#include "rules/product_choice.h"

#include <utility>

#include "log/logger.h"
#include "products/product_discovery.h"
#include "products/uninstall_command.h"

namespace kv {
namespace {

bool endsInBracketed(const std::wstring& productName, const std::wstring& candidate) {
  const std::wstring pattern = L"[" + candidate + L"]";
  return productName.size() >= pattern.size() &&
         productName.compare(productName.size() - pattern.size(), pattern.size(), pattern) == 0;
}

}  // namespace

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
  if (!GetUninstallValue(productCode, L"UninstallString", registered->text, registered->type)) {
    registered.reset();
    detailLog().info() << L"Making uninstall string : " << productName << endLine;
  }
  return uninstallCommandLine(productCode, registered);
}

}  // namespace kv
