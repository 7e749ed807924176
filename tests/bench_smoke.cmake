# The benchmark's quick pass: it builds, plays, and prints its table and valid JSON. Budgets
# are not judged here (a busy CI machine says nothing about them).
add_test(NAME bench_smoke COMMAND ${WEXLA_GAME_DIR}/wexla-bench --quick)
set_tests_properties(bench_smoke PROPERTIES TIMEOUT 120
  PASS_REGULAR_EXPRESSION "synthetic worst case drawn, software renderer")
find_package(Python3 COMPONENTS Interpreter QUIET)
if(Python3_FOUND)
  add_test(NAME bench_smoke_json
    COMMAND sh -c "\"$0\" --quick --json | \"$1\" -c 'import json,sys; d=json.load(sys.stdin); assert len(d[\"sections\"]) >= 4'"
      ${WEXLA_GAME_DIR}/wexla-bench ${Python3_EXECUTABLE})
  set_tests_properties(bench_smoke_json PROPERTIES TIMEOUT 120)
endif()
