#include "spooler/driver_store.h"

namespace kv {

DriverStore& DriverStore::current() { return currentInstance<DriverStore>(platformDriverStore); }

}  // namespace kv
