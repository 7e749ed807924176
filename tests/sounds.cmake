# The sound generator writes the same bytes every time.
add_test(NAME sound_files_deterministic
  COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:make_sounds> -DGAME_DIR=${WEXLA_GAME_DIR}
          -DSCRATCH=${CMAKE_CURRENT_BINARY_DIR}/sounds_again -P ${CMAKE_SOURCE_DIR}/tools/synth/compare_sounds.cmake)
