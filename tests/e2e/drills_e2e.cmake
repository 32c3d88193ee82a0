# Runs that overlap, on the demo machine of cleaning_e2e.cmake.
kv_add_machine_e2e_tests(drills drills_test.sh demo_machine KV_DEMO_MACHINE=${KV_DEMO_MACHINE}
  test_twenty_runs_at_once_keep_lines_and_record_whole)
