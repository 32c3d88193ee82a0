# GoogleTest: Debian's packaged library on Linux; Debian's sources built with the project's
# toolchain under mingw (the -posix compiler variant is required for std::mutex).
option(KV_BUILD_TESTS "Build the unit and end-to-end tests" ON)
if(NOT KV_BUILD_TESTS)
  return()
endif()

enable_testing()
if(WIN32)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# kv_add_unit_test(name SOURCES ... LIBS ... [PROPERTIES ...]): one test program, its tests
# listed by CTest when CTest runs (under Wine for the Windows build), never at build time.
# PROPERTIES are added to every test of the program.
function(kv_add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kv_test_support GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
                       TEST_PREFIX "${name}." PROPERTIES LABELS unit ${ARG_PROPERTIES})
endfunction()
