# The three image atlases, drawn by our own code from the game's sprite table.

add_executable(make_atlas make_atlas.cpp art/Raster.cpp art/Glyphs.cpp art/PaintText.cpp art/PaintCraft.cpp
  art/PaintEnergy.cpp)
target_link_libraries(make_atlas PRIVATE wexla_core)
# Millions of shader samples: optimise even in the debug build so the data stays quick to make.
target_compile_options(make_atlas PRIVATE -O2)

set(WEXLA_ATLAS_FILES ${WEXLA_GAME_DIR}/img/tex000.bmp ${WEXLA_GAME_DIR}/img/tex001.bmp
  ${WEXLA_GAME_DIR}/img/tex002.bmp)
add_custom_command(
  OUTPUT ${WEXLA_ATLAS_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WEXLA_GAME_DIR}/img
  COMMAND make_atlas ${WEXLA_GAME_DIR}/img
  DEPENDS make_atlas
  COMMENT "Drawing the image atlases")
add_custom_target(atlas_images DEPENDS ${WEXLA_ATLAS_FILES})
add_dependencies(game_data atlas_images)
