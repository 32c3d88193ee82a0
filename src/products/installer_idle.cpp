#include "products/installer_idle.h"

#include "products/installer_service.h"

namespace kv {
namespace {

// A mutex handle opened through `service`, closed there on every path out of its scope.
class ScopedSyncHandle {
 public:
  explicit ScopedSyncHandle(InstallerService& service) : service_(service) {}
  ~ScopedSyncHandle() {
    if (handle_ != SyncHandle::None) service_.closeHandle(handle_);
  }
  ScopedSyncHandle(const ScopedSyncHandle&) = delete;
  ScopedSyncHandle& operator=(const ScopedSyncHandle&) = delete;

  SyncHandle get() const { return handle_; }
  SyncHandle* put() { return &handle_; }

 private:
  InstallerService& service_;
  SyncHandle handle_ = SyncHandle::None;
};

bool got(std::uint32_t wait) {
  return wait == InstallerService::kWaitObject0 || wait == InstallerService::kWaitAbandoned;
}

}  // namespace

InstallerIdle waitUntilInstallerIdle(std::uint32_t boundMs, CallRef beforeWaiting) {
  InstallerService& service = InstallerService::current();
  ScopedSyncHandle mutex(service);
  const std::uint32_t opened =
      service.openMutexW(InstallerService::kSynchronize | InstallerService::kMutexModifyState,
                         kInstallerExecuteMutex, mutex.put());
  // The service makes the mutex when it first carries out an installation.
  if (opened == InstallerService::kFileNotFound) return InstallerIdle::Free;
  if (opened != InstallerService::kSuccess) return InstallerIdle::CannotTell;
  std::uint32_t wait = service.waitForSingleObject(mutex.get(), 0);
  InstallerIdle idle = InstallerIdle::Free;
  if (wait == InstallerService::kWaitTimeout) {
    beforeWaiting();
    wait = service.waitForSingleObject(mutex.get(), boundMs);
    idle = InstallerIdle::WasBusy;
  }
  if (wait == InstallerService::kWaitTimeout) return InstallerIdle::StillBusy;
  if (!got(wait)) return InstallerIdle::CannotTell;
  // Held by this thread, the mutex would keep the uninstaller itself from starting its work.
  service.releaseMutex(mutex.get());
  return idle;
}

}  // namespace kv
