#include "system/system_services.h"

namespace kv {

SystemServices* SystemServices::installed_ = nullptr;

SystemServices& SystemServices::current() {
  return installed_ != nullptr ? *installed_ : platformSystemServices();
}

ScopedSystemServices::ScopedSystemServices(SystemServices& services)
    : previous_(SystemServices::installed_) {
  SystemServices::installed_ = &services;
}

ScopedSystemServices::~ScopedSystemServices() { SystemServices::installed_ = previous_; }

}  // namespace kv
