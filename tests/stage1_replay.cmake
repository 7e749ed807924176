# A game of the real stage 1 recorded with the headless driver and played back with REPLAY on the
# title: every trace line of SceneGame (all but the run counter) must be the same at every game
# frame. The key script starts a game at the default difficulty (3), sweeps the ship about with
# the shot held and lets go of all keys for two frames in every hundred, so that the game end is
# left with Z soon after the game is over; the result screen's first frame saves "replay.dat".
# Stage 2 is a stage of the test's own whose emitter never leaves, so the game surely ends.
#
# Included by the tests' CMakeLists, this file adds the test; run with -P it is the test.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME stage1_replay
    COMMAND ${CMAKE_COMMAND} -DGAME_DIR=${WEXLA_GAME_DIR} -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(stage1_replay PROPERTIES TIMEOUT 900)
  return()
endif()

execute_process(COMMAND mktemp -d OUTPUT_VARIABLE WORK OUTPUT_STRIP_TRAILING_WHITESPACE)

include(${CMAKE_CURRENT_LIST_DIR}/scripts/ReplayChecks.cmake)

file(MAKE_DIRECTORY "${WORK}/game")
foreach(f img se bgm rndtbl.dat st01.txt)
  file(CREATE_LINK "${GAME_DIR}/${f}" "${WORK}/game/${f}" SYMBOLIC)
endforeach()
string(ASCII 13 cr)
file(WRITE "${WORK}/game/st02.txt" "// a ring emitter that stays${cr}\ne1 0 1 180 120 0 0${cr}\n")

# Title: Z on GAME START. Then cycles of 100 frames: left with the shot, right with the shot,
# up and down now and then, and two frames without keys.
set(keys "1 -\n60 Z\n62 -\n")
foreach(t RANGE 100 15900 100)
  math(EXPR right "${t} + 49")
  math(EXPR rest "${t} + 98")
  math(EXPR phase "(${t} / 100) % 4")
  if(phase EQUAL 1)
    set(vertical "+Up")
  elseif(phase EQUAL 3)
    set(vertical "+Down")
  else()
    set(vertical "")
  endif()
  string(APPEND keys "${t} Left+Z${vertical}\n${right} Right+Z\n${rest} -\n")
endforeach()
file(WRITE "${WORK}/record.keys" "${keys}")
# Down to REPLAY (present once replay.dat exists), Z.
file(WRITE "${WORK}/replay.keys" "1 -\n60 Down\n62 -\n70 Z\n72 -\n")

run_driver("${GAME_DIR}/wexla-headless" record record.keys 16000)
game_lines(record recorded)
list(LENGTH recorded n)
file(STRINGS "${WORK}/record.trace" result REGEX " scene=30 ")
if(NOT result OR NOT EXISTS "${WORK}/game/replay.dat")
  fail("the recorded game did not reach the result screen and save replay.dat (${n} frames of play)")
endif()
if(n LESS 1200)
  fail("the recorded game is too short (${n} frames of play)")
endif()
set(in_stage1 "${recorded}")
list(FILTER in_stage1 INCLUDE REGEX " stage=1 ")
list(LENGTH in_stage1 stage1)

math(EXPR replay_frames "${n} + 200")
run_driver("${GAME_DIR}/wexla-headless" title_replay replay.keys ${replay_frames})
expect_same_game(title_replay "${recorded}")

file(REMOVE_RECURSE "${WORK}")
message(STATUS "REPLAY repeats the recorded game of stage 1: ${n} frames of play, ${stage1} in stage 1")
