// The driver store on a system without one: it holds no package, so a run finds none to remove.
#include "spooler/driver_store.h"
#include "spooler/print_spooler.h"

namespace kv {
namespace {

class EmptyDriverStore final : public DriverStore {
 public:
  bool listPrinterPackages(std::vector<DriverPackage>* packages) override {
    if (packages == nullptr) return fail(kErrorInvalidParameter);
    packages->clear();
    return true;
  }

  bool deletePrinterDriverPackageW(const wchar_t*, const wchar_t* infPath,
                                   const wchar_t*) override {
    return fail(infPath == nullptr ? kErrorInvalidParameter : kErrorFileNotFound);
  }

  bool setupUninstallOEMInfW(const wchar_t* infFileName, std::uint32_t, void*) override {
    return fail(infFileName == nullptr ? kErrorInvalidParameter : kErrorFileNotFound);
  }

  std::uint32_t lastError() override { return lastError_; }

 private:
  bool fail(std::uint32_t error) {
    lastError_ = error;
    return false;
  }

  std::uint32_t lastError_ = 0;
};

}  // namespace

DriverStore& platformDriverStore() {
  static EmptyDriverStore store;
  return store;
}

}  // namespace kv
