# End-to-end tests of the cleaning run on the demo machine. One fixture builds the machine once
# per test run from the booted template; each test copies it.
set(KV_DEMO_MACHINE ${CMAKE_CURRENT_BINARY_DIR}/demo-machine)
add_test(NAME e2e.cleaning_machine
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/demo_machine.sh ${KV_DEMO_MACHINE})
add_test(NAME e2e.cleaning_machine_removal COMMAND ${CMAKE_COMMAND} -E rm -rf ${KV_DEMO_MACHINE})
set_tests_properties(e2e.cleaning_machine PROPERTIES FIXTURES_SETUP demo_machine)
set_tests_properties(e2e.cleaning_machine_removal PROPERTIES FIXTURES_CLEANUP demo_machine)
set_tests_properties(e2e.cleaning_machine e2e.cleaning_machine_removal PROPERTIES
  LABELS e2e TIMEOUT 120 ENVIRONMENT "KV_BUILD=${CMAKE_BINARY_DIR}")

kv_add_machine_e2e_tests(cleaning cleaning_test.sh demo_machine
  KV_DEMO_MACHINE=${KV_DEMO_MACHINE}
  test_simulation_reports_each_object_and_changes_nothing
  test_clean_removes_only_the_makers_queues_and_ports
  test_port_shared_with_another_makers_queue_is_kept
  test_clean_with_one_model_removes_only_that_models_queues
  test_second_clean_tries_the_refused_drivers_again)

# The 32-bit program on a machine of the 64-bit set-up tool (the win64 build's).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KV_WIN64_BUILD ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH "The win64 build, for kvsetup.exe")
  kv_add_machine_e2e_tests(cleaning cleaning_test.sh demo_machine
    "KV_DEMO_MACHINE=${KV_DEMO_MACHINE};KV_WIN64_BUILD=${KV_WIN64_BUILD}"
    test_32_bit_program_lists_the_64_bit_drivers)
endif()

# kvcheck.exe on the same machine: what it says against what a clean run does.
kv_add_machine_e2e_tests(check check_test.sh demo_machine KV_CHECK_MACHINE=${KV_DEMO_MACHINE}
  test_check_names_the_makers_queues_then_what_stayed
  test_check_agrees_with_a_clean_run_of_one_model
  test_check_refuses_a_loose_command_line
  test_check_documents_make_a_report
  test_check_and_clean_run_of_driver_packages)

# The release's scripts under Wine's 64- and 32-bit cmd, and the guide's example report as
# kvcheck's. The scripts pick x64\ on the 64-bit prefix, so the 64-bit build alone runs them.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  kv_add_machine_e2e_tests(guide guide_test.sh demo_machine KV_DEMO_MACHINE=${KV_DEMO_MACHINE}
    test_scripts_of_the_zip_under_the_64_bit_cmd
    test_scripts_of_the_zip_under_the_32_bit_cmd
    test_missing_share_loses_nothing
    test_arm64_pc_is_refused_by_every_script
    test_example_report_of_the_guide_is_what_kvcheck_prints)
endif()
