# The benchmark, beside the game; `make bench` runs it, a ctest runs its quick smoke pass.
add_executable(wexla-bench ${CMAKE_CURRENT_SOURCE_DIR}/bench/BenchMain.cpp ${CMAKE_CURRENT_SOURCE_DIR}/bench/Processes.cpp)
target_link_libraries(wexla-bench PRIVATE wexla_headless_support)
# The whole games it plays: one replay file a line, relative to the list.
target_compile_definitions(wexla-bench PRIVATE WEXLA_BENCH_GAMES="${CMAKE_SOURCE_DIR}/tests/data/corpus/bench_games.txt")
set_target_properties(wexla-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WEXLA_GAME_DIR})
add_dependencies(wexla-bench game_data wexla-headless)
