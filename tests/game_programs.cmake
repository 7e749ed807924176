# Whole-program tests: the real game under Xvfb and the headless driver.

if(TARGET x11_close_window)
  add_test(NAME game_window_under_xvfb
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/game_window.sh ${WEXLA_GAME_DIR} $<TARGET_FILE:x11_close_window>)
  set_tests_properties(game_window_under_xvfb PROPERTIES TIMEOUT 120
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp")
endif()

add_test(NAME headless_runs_are_deterministic
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/headless_determinism.sh ${WEXLA_GAME_DIR})
set_tests_properties(headless_runs_are_deterministic PROPERTIES TIMEOUT 300)

add_test(NAME replay_corpus
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/corpus_check.sh ${WEXLA_GAME_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/data/corpus)
set_tests_properties(replay_corpus PROPERTIES TIMEOUT 300)

add_test(NAME headless_test_switches
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/headless_switches.sh ${WEXLA_GAME_DIR})
set_tests_properties(headless_test_switches PROPERTIES TIMEOUT 300)

add_test(NAME tools_refuse_odd_files
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/scripts/tool_readers.sh $<TARGET_FILE:check_stage> ${WEXLA_GAME_DIR})
set_tests_properties(tools_refuse_odd_files PROPERTIES TIMEOUT 60)
