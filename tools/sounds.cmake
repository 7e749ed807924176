# The sound effects and music, synthesized at build time. The generator is always optimised
# (also in the sanitizer build) so the ~29 MB of music take seconds.

set(WEXLA_SYNTH_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/make_sounds.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/synth/Synth.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/synth/Effects.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/synth/Songs.cpp)
add_executable(make_sounds ${WEXLA_SYNTH_SOURCES})
target_link_libraries(make_sounds PRIVATE wexla_core)
set_source_files_properties(${WEXLA_SYNTH_SOURCES} PROPERTIES COMPILE_OPTIONS "-O2")

set(WEXLA_SOUND_FILES
  se/scratch.wav se/shot01.wav se/hit01.wav se/qpiien.wav se/point01a.wav se/break01.wav
  se/powget.wav se/select2.wav se/select.wav
  bgm/stage01_22so.wav bgm/stage02_22so.wav bgm/stage03.wav bgm/stage04.wav
  bgm/stage05_short_22so.wav bgm/stage06_short_22so.wav bgm/stage07b_short.wav
  bgm/stage08b_short.wav bgm/gameover_short_22so.wav bgm/ranking04to06_short_22so.wav
  bgm/title_short_22so.wav bgm/config_short_22so.wav)
list(TRANSFORM WEXLA_SOUND_FILES PREPEND ${WEXLA_GAME_DIR}/ OUTPUT_VARIABLE WEXLA_SOUND_OUTPUTS)

add_custom_command(
  OUTPUT ${WEXLA_SOUND_OUTPUTS}
  COMMAND make_sounds ${WEXLA_GAME_DIR}
  DEPENDS make_sounds
  COMMENT "Synthesizing the sound effects and music")
add_custom_target(game_sounds DEPENDS ${WEXLA_SOUND_OUTPUTS})
add_dependencies(game_data game_sounds)
