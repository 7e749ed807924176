# The headless driver: the real game without display or sound device, for tests.
add_library(wexla_headless_support STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/headless/KeyScript.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/headless/Pilot.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/headless/RendererInfo.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/headless/StateDigest.cpp)
target_link_libraries(wexla_headless_support PUBLIC wexla_core)

add_executable(wexla-headless ${CMAKE_CURRENT_SOURCE_DIR}/headless/HeadlessMain.cpp)
target_link_libraries(wexla-headless PRIVATE wexla_headless_support)
set_target_properties(wexla-headless PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${WEXLA_GAME_DIR})

# Closes the game's window under Xvfb as a window manager would, for the window test.
find_package(X11)
if(X11_FOUND)
  add_executable(x11_close_window ${CMAKE_CURRENT_SOURCE_DIR}/x11_close_window.cpp)
  target_link_libraries(x11_close_window PRIVATE X11::X11)
endif()
