# Script mode (cmake -DOUTPUT=<file> -P build_stamp_source.cmake): writes the definition of the
# build time stamp text with the current local time, in the form the detail log shows.
string(TIMESTAMP stamp "%a %b %d %H:%M:%S %Y")
file(WRITE ${OUTPUT} "#include \"cleaner/build_stamp.h\"

namespace kv {

const wchar_t kBuildStampText[] = L\"${stamp}\";

}  // namespace kv
")
