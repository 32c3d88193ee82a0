# Runs that overlap, on the demo machine of cleaning_e2e.cmake.
kv_add_machine_e2e_tests(drills drills_test.sh demo_machine KV_DEMO_MACHINE=${KV_DEMO_MACHINE}
  test_twenty_runs_at_once_keep_lines_and_record_whole
  test_a_run_stopped_after_its_queues_is_finished_by_the_next
  test_log_folders_that_cannot_take_the_logs)
