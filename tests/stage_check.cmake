# Every stage file of data/ must pass the stage-file checker; the checker's own cases are in
# stage_check_test.cpp.

target_link_libraries(wexla_tests PRIVATE stage_check_lib)

file(GLOB WEXLA_CHECKED_STAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
foreach(stage_file ${WEXLA_CHECKED_STAGES})
  get_filename_component(stage_name ${stage_file} NAME)
  add_test(NAME stage_check.${stage_name} COMMAND check_stage ${stage_file})
endforeach()
