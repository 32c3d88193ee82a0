#include "system/system_services.h"

namespace kv {

SystemServices& SystemServices::current() {
  return currentInstance<SystemServices>(platformSystemServices);
}

}  // namespace kv
