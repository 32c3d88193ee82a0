#include "main/build_stamp.h"
#include "main/startup.h"

namespace kv {

const wchar_t* buildStamp() { return kBuildStampText; }

}  // namespace kv
