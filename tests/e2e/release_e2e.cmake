# End-to-end tests of what the release build puts into kvcleaner.exe: version information,
# manifest and the build time stamp.
add_executable(resource_reader resource_reader_win.cpp)
target_link_libraries(resource_reader PRIVATE kv_system version)
target_link_options(resource_reader PRIVATE -municode)

# Planted beside the program as msi.dll, winspool.drv and setupapi.dll; leaves a mark where it is loaded.
add_library(planted_dll SHARED planted_dll_win.cpp)
set_target_properties(planted_dll PROPERTIES PREFIX "" OUTPUT_NAME kvplanted)
target_link_libraries(planted_dll PRIVATE kv_system)

set(kv_release_tests
  test_version_information_and_manifest_are_in_the_program
  test_build_stamp_is_the_time_of_the_link
  test_program_imports_only_known_dlls
  test_dlls_planted_beside_the_program_are_not_loaded
  test_missing_system_dll_fails_as_its_calls_do)
kv_add_e2e_tests(release_test.sh ${kv_release_tests})
list(TRANSFORM kv_release_tests PREPEND e2e.)
set_property(TEST ${kv_release_tests} APPEND PROPERTY ENVIRONMENT KV_VERSION=${PROJECT_VERSION}
                                                              KV_OBJDUMP=${CMAKE_OBJDUMP})

# The signed package of both builds: registered with the win32 build, which scripts/test makes
# after the win64 one.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  kv_add_e2e_tests(package_test.sh test_signed_package_verifies_and_runs)
  set_property(TEST e2e.test_signed_package_verifies_and_runs APPEND PROPERTY ENVIRONMENT
               KV_WIN64_BUILD=${KV_WIN64_BUILD})
endif()
