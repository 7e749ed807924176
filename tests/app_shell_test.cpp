// The program's start-up and message loop, run whole on the offscreen backend.

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/AppShell.h"
#include "platform/Window.h"

namespace {

long g_framesRun = 0;

bool CountFrame(void*, long run, GameWorld*) {
  g_framesRun = run;
  return run < 5;
}

// A close of the window that arrives while the window and the device are being made (a slow
// start under load) ends the game before its first frame instead of being forgotten.
TEST(AppShell, ACloseDuringStartUpEndsTheGame) {
  std::string pattern = testing::TempDir() + "wexla_app_XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  const std::filesystem::path dir = mkdtemp(buf.data());
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::copy_file(std::filesystem::path(WEXLA_GAME_DIR) / "rndtbl.dat", dir / "rndtbl.dat");
  std::filesystem::current_path(dir);

  AppOptions options;
  options.graphics = GraphicsBackendOffscreen;
  options.sound = SoundOutputNone;
  options.messageBoxes = false;
  options.hooks.beforeFrame = CountFrame;
  char name[] = "wexla";
  char* argv[] = {name, nullptr};
  for (bool close : {false, true}) {
    SCOPED_TRACE(close);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    if (close) {
      SDL_Event e{};
      e.type = SDL_WINDOWEVENT;
      e.window.event = SDL_WINDOWEVENT_CLOSE;
      ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    g_framesRun = 0;
    EXPECT_EQ(RunApplication(1, argv, options), 0);
    EXPECT_EQ(g_framesRun, close ? 0 : 5);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
  }
  std::filesystem::current_path(old);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
