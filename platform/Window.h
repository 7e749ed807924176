#pragma once
// The game window and its event handling. The window procedure only sets the loop's flags; the
// message loop in main reads them.

#include <cstdint>

struct SDL_Window;
union SDL_Event;

// Loop flags, one byte each.
extern uint8_t g_quitRequested;  // 0 at start
extern uint8_t g_deviceLost;     // 0 at start
extern uint8_t g_appActive;      // 1 at start
extern uint8_t g_padReacquire;   // 0 at start

extern SDL_Window* g_hwnd;  // the game window (null without a video driver)
extern int g_adapter;       // the display used, always 0

// Creates the window titled "wexla" with a 640x480 client area, not resizable; full screen
// (fullScreen not 0) is desktop full screen with the picture scaled and letterboxed. Hides the
// mouse cursor. Needs the video subsystem that Graphics::CreateDirect3D started; without it (the
// recording backend) no window is made. The result also goes to g_hwnd; it is not checked.
SDL_Window* CreateGameWindow(int fullScreen);

// Handles one pending event, if there is one; returns whether one was handled.
bool WindowProc();

// The mapping of one event to the flags: size, minimise, restore -> g_deviceLost; focus gained
// -> g_appActive and g_padReacquire; focus lost -> g_appActive 0; close or quit ->
// g_quitRequested; a render target or device reset -> the pending graphics reset.
void HandleWindowEvent(const SDL_Event& event);

// Waits up to timeoutMs for an event, for the loop while inactive or lost; true when one waits.
bool WaitForWindowEvent(uint32_t timeoutMs);

// Shows the mouse cursor again (the first step of the shut-down).
void ShowGameCursor();

// Destroys the window; call it after the Graphics is destroyed. While a Graphics device still
// draws on it the window is only hidden (SDL would destroy the renderer with it).
void DestroyGameWindow();
