#include "products/installer_idle.h"

#include <algorithm>

#include "products/installer_service.h"

namespace kv {
namespace {

// How often a busy mutex is looked at again.
constexpr std::uint32_t kLookEveryMs = 500;

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

enum class Look { Free, Held, Unreadable };

Look look(InstallerService& service, SyncHandle mutex) {
  MutantState state;
  if (service.ntQueryMutant(mutex, &state) != 0) return Look::Unreadable;
  return state.currentCount > 0 ? Look::Free : Look::Held;
}

}  // namespace

InstallerIdle waitUntilInstallerIdle(std::uint32_t boundMs, CallRef beforeWaiting) {
  InstallerService& service = InstallerService::current();
  ScopedSyncHandle mutex(service);
  const std::uint32_t opened =
      service.openMutexW(InstallerService::kMutantQueryState, kInstallerExecuteMutex, mutex.put());
  // The service makes the mutex when it first carries out an installation.
  if (opened == InstallerService::kFileNotFound) return InstallerIdle::Free;
  if (opened != InstallerService::kSuccess) return InstallerIdle::CannotTell;
  Look state = look(service, mutex.get());
  if (state == Look::Unreadable) return InstallerIdle::CannotTell;
  if (state == Look::Free) return InstallerIdle::Free;
  beforeWaiting();
  for (std::uint32_t waited = 0; waited < boundMs;) {
    const std::uint32_t pause = std::min(kLookEveryMs, boundMs - waited);
    service.sleepMilliseconds(pause);
    waited += pause;
    state = look(service, mutex.get());
    if (state == Look::Unreadable) return InstallerIdle::CannotTell;
    if (state == Look::Free) return InstallerIdle::WasBusy;
  }
  return InstallerIdle::StillBusy;
}

}  // namespace kv
