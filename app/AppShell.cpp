#include "app/AppShell.h"

#include <unistd.h>

#include <cstring>

#include <string>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

// While the window is inactive or the device lost, wait for events instead of spinning.
constexpr uint32_t kIdleWaitMs = 10;

void MessageLoop(Graphics& gfx, SoundSystem& sound, JoystickInput& joystick, GameWorld& world,
                 const AppOptions& options) {
  long run = 0;
  while (!g_quitRequested) {
    if (WindowProc()) continue;
    if (!g_appActive) {
      WaitForWindowEvent(kIdleWaitMs);
      continue;
    }
    if (!g_deviceLost) {
      if (g_padReacquire) {
        joystick.Acquire();
        g_padReacquire = 0;
      }
      ++run;
      if (options.hooks.beforeFrame && !options.hooks.beforeFrame(options.hooks.context, run, &world)) break;
      RunFrame(&gfx, &sound, &joystick, &world);
      if (options.hooks.afterFrame) options.hooks.afterFrame(options.hooks.context, run, &gfx, &world);
    } else if (gfx.RecoverLostDevice(g_hwnd, g_fullscreen, g_adapter)) {
      g_deviceLost = 0;
    } else {
      WaitForWindowEvent(kIdleWaitMs);
    }
  }
}

}  // namespace

int RunApplication(int argc, char** argv, const AppOptions& options) {
  PlatformEnableMessageBoxes(options.messageBoxes);
  SelectGraphicsBackend(options.graphics);

  ResetCommandLineValues();
  const std::string tail = BuildCommandLineTail(argc, argv);
  if (!ParseCommandLine(tail.c_str())) return 0;
  LoadOrCreateConfigFile();
  LoadOrCreateHighScoreFile();
  ApplySettingsPrecedence();

  // Destroyed in reverse order: joystick, sound, graphics; the world last of all.
  GameWorld* world = nullptr;
  {
    Graphics gfx;
    if (gfx.CreateDirect3D() != 0) return 0;
    g_adapter = 0;
    CreateGameWindow(g_fullscreen);
    if (gfx.CreateDevice(g_hwnd, g_fullscreen, g_adapter) != 0) {
      DestroyGameWindow();
      return 0;
    }
    SoundSystem sound;
    sound.Init(g_hwnd, options.sound);
    JoystickInput joystick;
    joystick.Init(g_hwnd);
    if (!LoadRandomTable()) {
      ShowGameCursor();
      return 0;
    }
    InitGameTables();
    world = new GameWorld();
    g_gameFrame = 0;
    std::memcpy(world->result.entryName, "        ", 8);
    // Events that arrived while the window and the device were made are handled now, before the
    // flags are cleared: a resize during creation must not pause the game.
    while (WindowProc()) {
    }
    g_quitRequested = 0;
    g_deviceLost = 0;
    MessageLoop(gfx, sound, joystick, *world, options);
    ShowGameCursor();
  }
  DestroyGameWindow();
  delete world;
  return 0;
}
