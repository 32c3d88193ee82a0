#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "spooler/driver_store.h"
#include "standins/fault_plan.h"

namespace kv {

class MemoryPrintSystem;

enum class DriverStoreOperation { List, DeletePackage, UninstallInf };

// A driver store held in memory with the Windows answers: a package an installed driver of the
// print system uses (its level 8 INF path names the package) is refused, 3015 by the spooler's
// removal and 0xE000023D by the setup library's; a package that is not there gives 2; a flag
// other than 0 gives 87 (the cleaner never forces). Tests can make any call fail, take the
// spooler's removal away (127, as on Wine 8 and older systems) and have removals answer success
// while the package stays, as Wine 8's setup library does.
class MemoryDriverStore : public DriverStore {
 public:
  explicit MemoryDriverStore(const MemoryPrintSystem& spooler) : spooler_(spooler) {}

  void addPackage(DriverPackage package) { packages_.push_back(std::move(package)); }
  const std::vector<DriverPackage>& packages() const { return packages_; }

  void failNext(DriverStoreOperation operation, std::uint32_t error, int passing = 0) {
    faults_.failNext(operation, error, passing);
  }
  void failAlways(DriverStoreOperation operation, std::uint32_t error) {
    faults_.failAlways(operation, error);
  }
  // DeletePrinterDriverPackageW cannot be loaded.
  void setSpoolerRemovalMissing(bool missing) { spoolerRemovalMissing_ = missing; }
  // Removals succeed and remove nothing.
  void setRemovalsKeepPackages(bool keep) { removalsKeep_ = keep; }

  // Every call made, written like the call ("SetupUninstallOEMInfW(oem3.inf, 0)").
  const std::vector<std::wstring>& calls() const { return calls_; }

  bool listPrinterPackages(std::vector<DriverPackage>* packages) override;
  bool deletePrinterDriverPackageW(const wchar_t* server, const wchar_t* infPath,
                                   const wchar_t* environment) override;
  bool setupUninstallOEMInfW(const wchar_t* infFileName, std::uint32_t flags,
                             void* reserved) override;
  std::uint32_t lastError() override { return lastError_; }

 private:
  // Removes the package that `matches` picks, unless a driver uses it (then `inUseError`).
  template <typename Matches>
  bool removeWhere(Matches matches, std::uint32_t inUseError);
  bool fail(std::uint32_t error) {
    lastError_ = error;
    return false;
  }

  const MemoryPrintSystem& spooler_;
  std::vector<DriverPackage> packages_;
  FaultPlan<DriverStoreOperation> faults_;
  bool spoolerRemovalMissing_ = false;
  bool removalsKeep_ = false;
  std::uint32_t lastError_ = 0;
  std::vector<std::wstring> calls_;
};

}  // namespace kv
