# End-to-end tests of the spooler fixtures: the machine set-up helper under Wine.
kv_add_e2e_tests(spooler_test.sh
  test_setup_helper_puts_a_maker_queue_on_a_monitor_port
  test_setup_helper_exit_codes_and_messages)
