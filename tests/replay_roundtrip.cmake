# A whole game recorded and played back with the headless driver: a key script starts a game on
# the title, plays (moving and shooting) until the game ends, goes to the result screen, enters a name
# and keeps the replay. REPLAY on the title, and the kept replay given on the command line, must
# then repeat every frame of play: the trace lines of SceneGame (all but the run counter) are
# identical at every game frame.
#
# Included by the tests' CMakeLists, this file adds the test; run with -P it is the test.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME replay_roundtrip
    COMMAND ${CMAKE_COMMAND} -DGAME_DIR=${WEXLA_GAME_DIR} -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(replay_roundtrip PROPERTIES TIMEOUT 900)
  return()
endif()

execute_process(COMMAND mktemp -d OUTPUT_VARIABLE WORK OUTPUT_STRIP_TRAILING_WHITESPACE)

include(${CMAKE_CURRENT_LIST_DIR}/scripts/ReplayChecks.cmake)

# The game's data, with a stage of the test's own (a frozen copy of an early stage 1, so later
# work on the real stages does not move the key timings) standing in for all four stages. The driver is copied in: a replay given on the command line
# makes the program's own folder the current directory.
file(MAKE_DIRECTORY "${WORK}/game")
foreach(f img se bgm rndtbl.dat)
  file(CREATE_LINK "${GAME_DIR}/${f}" "${WORK}/game/${f}" SYMBOLIC)
endforeach()
foreach(s 01 02 05 06)
  file(CREATE_LINK "${CMAKE_CURRENT_LIST_DIR}/data/replay_stage.txt" "${WORK}/game/st${s}.txt" SYMBOLIC)
endforeach()
file(COPY "${GAME_DIR}/wexla-headless" DESTINATION "${WORK}/game")

# A high-score table no game can beat (every byte 1: scores of 16843009 hundred millions), so the
# result screen always takes the unranked way.
string(ASCII 1 b)
string(REPEAT "${b}" 16 numbers)
string(REPEAT "${numbers}no name ${b}${b}${b}${b}" 640 table)
file(WRITE "${WORK}/game/hiscore.dat" "${table}")
file(SIZE "${WORK}/game/hiscore.dat" size)
if(NOT size EQUAL 17920)
  fail("hiscore.dat: ${size} bytes")
endif()

# Start from the title, fly about shooting, leave the game end with Z; on the result screen:
# skip the text, Yes to the save question, type "AB", go to END (Up to the last row, Left twice
# to its last cell), Z, and after the fade Z to close.
file(WRITE "${WORK}/record.keys" "1 -\n60 Z\n62 -\n100 Left+Z\n160 Up+X+Z\n220 Right+Z\n300 Down+Right\n340 Z\n"
  "600 Left+Down+Z\n640 Z\n900 Up+Z\n960 Right+Up\n1000 Z\n2000 Left+Z\n2100 X+Z\n2200 Right+X\n2300 -\n"
  "3750 Z\n3752 -\n3760 Z\n3762 -\n3780 Left\n3782 -\n3790 Z\n3792 -\n3800 Z\n3802 -\n3810 Right\n3812 -\n"
  "3820 Z\n3822 -\n3830 Up\n3832 -\n3840 Left\n3842 -\n3850 Left\n3852 -\n3860 Z\n3862 -\n3920 Z\n3922 -\n")
# Down to REPLAY (present now), Z.
file(WRITE "${WORK}/replay.keys" "1 -\n60 Down\n62 -\n70 Z\n72 -\n")

run_driver("${WORK}/game/wexla-headless" record record.keys 4000)
game_lines(record recorded)
list(LENGTH recorded n)
if(n LESS 1500)
  fail("the recorded game is too short (${n} frames of play)")
endif()
file(STRINGS "${WORK}/record.trace" ended REGEX " scene=5 ")
if(NOT ended)
  fail("the recorded game never reached its end")
endif()
file(STRINGS "${WORK}/record.trace" back REGEX "^run=4000 .* scene=10 ")
if(NOT back)
  fail("the result screen did not close to the title")
endif()
foreach(f replay.dat replay0000.dat)
  if(NOT EXISTS "${WORK}/game/${f}")
    fail("${f} was not written")
  endif()
endforeach()

run_driver("${WORK}/game/wexla-headless" title_replay replay.keys 3900)
expect_same_game(title_replay "${recorded}")

# The kept replay on the command line: it starts on the first frame of the title.
run_driver("${WORK}/game/wexla-headless" command_line_replay "" 3900 -- replay0000.dat)
expect_same_game(command_line_replay "${recorded}")

file(REMOVE_RECURSE "${WORK}")
message(STATUS "replays repeat the recorded game: ${n} frames")
