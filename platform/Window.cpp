#include "platform/Window.h"

#include <SDL.h>

#include "platform/GraphicsDevice.h"
#include "platform/Platform.h"

uint8_t g_quitRequested = 0;
uint8_t g_deviceLost = 0;
uint8_t g_appActive = 1;
uint8_t g_padReacquire = 0;
SDL_Window* g_hwnd = nullptr;
int g_adapter = 0;

SDL_Window* CreateGameWindow(int fullScreen) {
  g_hwnd = nullptr;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return nullptr;
  // The window keeps its own reference on the video subsystem, so that a device re-creation,
  // which releases and takes again the one of Graphics, leaves it alive.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  const Uint32 flags = fullScreen != 0 ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_SHOWN;
  g_hwnd = SDL_CreateWindow("wexla", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, FrameWidth,
                            FrameHeight, flags);
  if (!g_hwnd) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  SDL_ShowCursor(SDL_DISABLE);
  return g_hwnd;
}

void HandleWindowEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      g_quitRequested = 1;
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      NoteGraphicsReset();
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          g_quitRequested = 1;  // the window is not destroyed here
          break;
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
          g_deviceLost = 1;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          g_appActive = 1;
          g_padReacquire = 1;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          g_appActive = 0;
          break;
        default:
          break;
      }
      break;
    default:
      break;
  }
}

bool WindowProc() {
  SDL_Event event;
  if (SDL_PollEvent(&event) != 1) return false;
  HandleWindowEvent(event);
  return true;
}

bool WaitForWindowEvent(uint32_t timeoutMs) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
    PlatformSleepMilliseconds(timeoutMs);
    return false;
  }
  return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs)) == 1;
}

void ShowGameCursor() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(SDL_ENABLE);
}

void DestroyGameWindow() {
  if (!g_hwnd) return;
  ShowGameCursor();
  if (SDL_GetRenderer(g_hwnd)) {
    // The Graphics still draws on it, and SDL would take the renderer away with the window: only
    // hide it (a later call, once the Graphics is gone, destroys it).
    SDL_HideWindow(g_hwnd);
    return;
  }
  SDL_DestroyWindow(g_hwnd);
  g_hwnd = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
