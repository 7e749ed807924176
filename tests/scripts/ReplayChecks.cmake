# Steps shared by the whole-game replay tests (run with cmake -P): WORK is their scratch folder.

function(fail message)
  file(REMOVE_RECURSE "${WORK}")
  message(FATAL_ERROR "${message}")
endfunction()

# Runs the headless driver on ${WORK}/game with --trace 1 into ${WORK}/NAME.trace; KEYS may be
# empty; further arguments go to the driver.
function(run_driver driver name keys frames)
  set(args --frames ${frames} --trace 1)
  if(keys)
    list(APPEND args --keys "${WORK}/${keys}")
  endif()
  execute_process(COMMAND "${driver}" --dir "${WORK}/game" ${args} ${ARGN}
    OUTPUT_FILE "${WORK}/${name}.trace" ERROR_FILE "${WORK}/${name}.err" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(READ "${WORK}/${name}.err" err)
    fail("${name}: the driver failed (${rc}): ${err}")
  endif()
endfunction()

# The trace lines of SceneGame without the run counter.
function(game_lines name out)
  file(STRINGS "${WORK}/${name}.trace" lines REGEX " scene=0 ")
  list(TRANSFORM lines REPLACE "^run=[0-9]+ " "")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# The game lines of run NAME must equal the list RECORDED line for line.
function(expect_same_game name recorded)
  game_lines(${name} got)
  list(LENGTH recorded n)
  list(LENGTH got m)
  if(NOT n EQUAL m)
    fail("${name}: ${m} frames of play, the recording has ${n}")
  endif()
  math(EXPR last "${n} - 1")
  foreach(i RANGE ${last})
    list(GET recorded ${i} a)
    list(GET got ${i} b)
    if(NOT a STREQUAL b)
      fail("${name} differs from the recording:\n  recorded: ${a}\n  replayed: ${b}")
    endif()
  endforeach()
endfunction()
