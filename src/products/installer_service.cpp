#include "products/installer_service.h"

namespace kv {

InstallerService* InstallerService::installed_ = nullptr;

InstallerService& InstallerService::current() {
  return installed_ != nullptr ? *installed_ : platformInstallerService();
}

ScopedInstallerService::ScopedInstallerService(InstallerService& service)
    : previous_(InstallerService::installed_) {
  InstallerService::installed_ = &service;
}

ScopedInstallerService::~ScopedInstallerService() { InstallerService::installed_ = previous_; }

}  // namespace kv
