# The headless driver at the ends of the clock's range, and ended by signals.
add_test(NAME headless_clock_range_and_signals
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/headless_clock_signals.sh ${WEXLA_GAME_DIR})
set_tests_properties(headless_clock_range_and_signals PROPERTIES TIMEOUT 300)
