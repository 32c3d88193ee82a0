# SimpleIni from Debian's libsimpleini-dev, nothing vendored. Only src/config's INI wrapper uses
# it, through the interface target kv_simpleini.
#
# Linux: the ICU converter (its wide character is char16_t); pkg-config brings the ICU libraries.
# mingw: the Win32 converter with wchar_t, header only. The cross compiler does not search
# /usr/include (and must not: it holds Linux system headers), so a directory with nothing but a
# link to the header is put on its include path, as a system directory so that the header's own
# warnings do not fail the build.
add_library(kv_simpleini INTERFACE)
if(WIN32)
  find_file(KV_SIMPLEINI_HEADER SimpleIni.h PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(kv_simpleini_dir ${CMAKE_BINARY_DIR}/simpleini-include)
  file(MAKE_DIRECTORY ${kv_simpleini_dir})
  file(CREATE_LINK ${KV_SIMPLEINI_HEADER} ${kv_simpleini_dir}/SimpleIni.h SYMBOLIC)
  target_include_directories(kv_simpleini SYSTEM INTERFACE ${kv_simpleini_dir})
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KV_SIMPLEINI REQUIRED IMPORTED_TARGET simpleini)
  target_link_libraries(kv_simpleini INTERFACE PkgConfig::KV_SIMPLEINI)
endif()
