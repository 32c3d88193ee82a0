#include "standins/driver_store_memory.h"

#include <algorithm>

#include "standins/spooler_memory.h"

namespace kv {
namespace {

std::wstring textOf(const wchar_t* text) { return text != nullptr ? text : L"null"; }

std::wstring lowerCase(std::wstring text) {
  for (wchar_t& c : text) c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  return text;
}

// A driver's INF path names a package by its store path or by the published INF's own path.
bool usesPackage(const std::wstring& infPath, const DriverPackage& package) {
  const std::wstring path = lowerCase(infPath);
  const std::wstring published = L"\\" + lowerCase(package.publishedName);
  return path == lowerCase(package.storePath) || path.ends_with(published);
}

}  // namespace

bool MemoryDriverStore::listPrinterPackages(std::vector<DriverPackage>* packages) {
  calls_.push_back(L"listPrinterPackages");
  if (const auto code = faults_.take(DriverStoreOperation::List)) return fail(*code);
  if (packages == nullptr) return fail(kErrorInvalidParameter);
  *packages = packages_;
  return true;
}

template <typename Matches>
bool MemoryDriverStore::removeWhere(Matches matches, std::uint32_t inUseError) {
  const auto found = std::find_if(packages_.begin(), packages_.end(), matches);
  if (found == packages_.end()) return fail(kErrorFileNotFound);
  for (const MemoryPrintSystem::Driver& driver : spooler_.drivers()) {
    if (driver.infPath && usesPackage(*driver.infPath, *found)) return fail(inUseError);
  }
  if (!removalsKeep_) packages_.erase(found);
  return true;
}

bool MemoryDriverStore::deletePrinterDriverPackageW(const wchar_t* server, const wchar_t* infPath,
                                                    const wchar_t* environment) {
  calls_.push_back(L"DeletePrinterDriverPackageW(" + textOf(server) + L", " + textOf(infPath) +
                   L", " + textOf(environment) + L")");
  if (spoolerRemovalMissing_) return fail(kErrorProcedureMissing);
  if (const auto code = faults_.take(DriverStoreOperation::DeletePackage)) return fail(*code);
  if (infPath == nullptr) return fail(kErrorInvalidParameter);
  const std::wstring path = infPath;
  return removeWhere([&](const DriverPackage& package) { return package.storePath == path; },
                     kErrorDriverPackageInUse);
}

bool MemoryDriverStore::setupUninstallOEMInfW(const wchar_t* infFileName, std::uint32_t flags,
                                              void* reserved) {
  calls_.push_back(L"SetupUninstallOEMInfW(" + textOf(infFileName) + L", " +
                   std::to_wstring(flags) + L")");
  if (const auto code = faults_.take(DriverStoreOperation::UninstallInf)) return fail(*code);
  if (infFileName == nullptr || flags != 0 || reserved != nullptr) {
    return fail(kErrorInvalidParameter);
  }
  const std::wstring name = infFileName;
  return removeWhere([&](const DriverPackage& package) { return package.publishedName == name; },
                     kErrorInfInUseByDevices);
}

}  // namespace kv
