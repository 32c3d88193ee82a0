# The expected lines below are those of the 64-bit program, which finds a 32-bit package's
# uninstall entry in the other registry view (Wow6432Node); the 32-bit build skips them.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  return()
endif()

# End-to-end tests of the product uninstall passes on the demo machine with installer packages
# (demo_packages.sh). One fixture adds the packages to a copy of the prepared demo machine once
# per test run; each test copies that.
set(KV_PRODUCTS_MACHINE ${CMAKE_CURRENT_BINARY_DIR}/products-machine)
add_test(NAME e2e.products_machine
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/demo_packages.sh ${KV_DEMO_MACHINE}
          ${KV_PRODUCTS_MACHINE})
add_test(NAME e2e.products_machine_removal
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KV_PRODUCTS_MACHINE})
set_tests_properties(e2e.products_machine PROPERTIES
  FIXTURES_SETUP products_machine FIXTURES_REQUIRED demo_machine)
set_tests_properties(e2e.products_machine_removal PROPERTIES FIXTURES_CLEANUP products_machine)
set_tests_properties(e2e.products_machine e2e.products_machine_removal PROPERTIES
  LABELS e2e TIMEOUT 120 ENVIRONMENT "KV_BUILD=${CMAKE_BINARY_DIR}")

# A package's registered uninstaller of our own, which records whether the silent-mode settings
# file is there while it runs.
add_executable(uninstall_probe uninstall_probe_win.cpp)
target_link_libraries(uninstall_probe PRIVATE kv_system)
target_link_options(uninstall_probe PRIVATE -municode)

# Holds a mutex or an event of a given name, as another account's program would.
add_executable(object_holder object_holder_win.cpp)
target_link_libraries(object_holder PRIVATE kv_system)
target_link_options(object_holder PRIVATE -municode)

kv_add_machine_e2e_tests(products products_test.sh products_machine
  KV_PRODUCTS_MACHINE=${KV_PRODUCTS_MACHINE}
  test_machine_lists_the_packages
  test_clean_uninstalls_the_packages_of_installed_drivers
  test_simulation_uninstalls_the_same_packages
  test_clean_with_one_model_uninstalls_only_its_package
  test_silent_mode_file_is_there_while_the_first_pass_runs
  test_popup_run_writes_no_settings_file
  test_a_mutex_of_the_old_lock_name_is_passed_over
  test_an_event_of_the_old_lock_name_is_passed_over
  test_administrators_settings_file_stands_after_a_stopped_run
  test_uninstall_commands_run_the_program_they_name
  test_missing_uninstaller_is_not_replaced_by_a_planted_program
  test_restart_owed_is_recorded_reported_and_cleared)

# kvcheck.exe on the machine with packages: the agreement with a clean run, and that it starts
# none of the packages' uninstallers and changes nothing.
kv_add_machine_e2e_tests(check_products check_test.sh products_machine
  KV_CHECK_MACHINE=${KV_PRODUCTS_MACHINE}
  test_check_names_the_makers_queues_then_what_stayed
  test_check_agrees_with_a_clean_run_of_one_model
  test_check_changes_nothing)
