// The installer service on a system without one: an empty in-memory installer, so that the
// program runs and finds no installed products.
#include "products/installer_memory.h"

namespace kv {

InstallerService& platformInstallerService() {
  static MemoryInstaller installer;
  return installer;
}

}  // namespace kv
