#include "cleaner/build_stamp.h"
#include "cleaner/startup.h"

namespace kv {

const wchar_t* buildStamp() { return kBuildStampText; }

}  // namespace kv
