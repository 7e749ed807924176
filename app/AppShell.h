#pragma once
// The program's start-up in its fixed order, the message loop and the shut-down. The game and
// the headless driver run the same code; they differ only in the backends chosen once here.

#include "platform/GraphicsDevice.h"
#include "platform/SoundSystem.h"

class Graphics;
class GameWorld;

struct AppFrameHooks {
  // Before every frame (run counts frames from 1); false ends the loop. A test driver may set
  // the held keys here from what it reads in the world.
  bool (*beforeFrame)(void* context, long run, GameWorld* world) = nullptr;
  // After every frame.
  void (*afterFrame)(void* context, long run, Graphics* gfx, GameWorld* world) = nullptr;
  void* context = nullptr;
};

struct AppOptions {
  GraphicsBackend graphics = GraphicsBackendWindow;
  SoundOutput sound = SoundOutputDevice;
  bool messageBoxes = true;
  AppFrameHooks hooks;
};

// The body of the program; returns the process exit status (0 on every path).
int RunApplication(int argc, char** argv, const AppOptions& options);
