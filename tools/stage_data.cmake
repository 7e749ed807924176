# Stage scripts: every data/st*.txt is copied byte for byte into the game directory, and the
# stage-file checker is built from the game's own loader and catalogue.

add_library(stage_check_lib STATIC ${CMAKE_CURRENT_SOURCE_DIR}/StageCheck.cpp)
target_include_directories(stage_check_lib PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(stage_check_lib PUBLIC wexla_core)

add_executable(check_stage check_stage.cpp)
target_link_libraries(check_stage PRIVATE stage_check_lib)

file(GLOB WEXLA_STAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/st*.txt)
set(WEXLA_STAGE_OUTPUTS)
foreach(stage_file ${WEXLA_STAGE_FILES})
  get_filename_component(stage_name ${stage_file} NAME)
  add_custom_command(
    OUTPUT ${WEXLA_GAME_DIR}/${stage_name}
    COMMAND ${CMAKE_COMMAND} -E copy ${stage_file} ${WEXLA_GAME_DIR}/${stage_name}
    DEPENDS ${stage_file}
    COMMENT "Copying ${stage_name}")
  list(APPEND WEXLA_STAGE_OUTPUTS ${WEXLA_GAME_DIR}/${stage_name})
endforeach()
add_custom_target(stage_data ALL DEPENDS ${WEXLA_STAGE_OUTPUTS})
add_dependencies(game_data stage_data)
