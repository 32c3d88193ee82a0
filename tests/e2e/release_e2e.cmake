# End-to-end tests of what the release build puts into kvcleaner.exe: version information,
# manifest and the build time stamp.
add_executable(resource_reader resource_reader_win.cpp)
target_link_libraries(resource_reader PRIVATE kv_includes kv_system version)
target_link_options(resource_reader PRIVATE -municode)

set(kv_release_tests
  test_version_information_and_manifest_are_in_the_program
  test_build_stamp_is_the_time_of_the_link)
kv_add_e2e_tests(release_test.sh ${kv_release_tests})
list(TRANSFORM kv_release_tests PREPEND e2e.)
set_property(TEST ${kv_release_tests} APPEND PROPERTY ENVIRONMENT KV_VERSION=${PROJECT_VERSION})
