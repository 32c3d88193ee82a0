#include "products/installer_service.h"

namespace kv {

InstallerService& InstallerService::current() {
  return currentInstance<InstallerService>(platformInstallerService);
}

}  // namespace kv
