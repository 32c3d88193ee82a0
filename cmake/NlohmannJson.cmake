# nlohmann-json from Debian's nlohmann-json3-dev, nothing vendored; only kvcheck's JSON report
# uses it, through the interface target kv_nlohmann_json. The cross compilers must not search
# /usr/include (it holds Linux system headers), so a directory holding nothing but a link to the
# library's own folder goes on their include path, as a system directory so that its headers'
# warnings do not fail the build.
add_library(kv_nlohmann_json INTERFACE)
find_path(KV_NLOHMANN_JSON_ROOT nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
if(WIN32)
  set(kv_nlohmann_json_dir ${CMAKE_BINARY_DIR}/nlohmann-include)
  file(MAKE_DIRECTORY ${kv_nlohmann_json_dir})
  file(CREATE_LINK ${KV_NLOHMANN_JSON_ROOT}/nlohmann ${kv_nlohmann_json_dir}/nlohmann SYMBOLIC)
  target_include_directories(kv_nlohmann_json SYSTEM INTERFACE ${kv_nlohmann_json_dir})
endif()
