#pragma once
// The graphics device layer: a 640x480 device, the three image atlases in texture slots 0 to 2,
// one textured-quad primitive with blend and filter switches, and the recovery of a lost device.
// Which device sits underneath (window, offscreen, recorder) is chosen once with
// SelectGraphicsBackend before CreateDirect3D.

#include <cstdint>

#include "platform/GraphicsDevice.h"
#include "world/GameObject.h"

struct SDL_Window;

enum BlendMode {
  BlendOpaque = 0,  // any value but the two below draws opaque
  BlendAlpha = 1,
  BlendAdditive = 2,
};

constexpr int TextureSlotCount = 16;

class Graphics {
 public:
  GraphicsSystem* direct3D = nullptr;
  GraphicsDevice* device = nullptr;
  GraphicsPresentParams presentParams;
  GraphicsDisplayMode displayMode;
  GraphicsTexture* textures[TextureSlotCount] = {};
  int currentTexture = -1;

  Graphics() = default;
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  int CreateDirect3D();
  int CreateDevice(SDL_Window* window, int fullScreen, int adapter);
  int InitStatesAndTextures();
  bool RecoverLostDevice(SDL_Window* window, int fullScreen, int adapter);
  bool BeginFrame();
  bool DrawQuad(int slot, ScreenVertex v[4]);
  bool EndFrame();
  // False between frames and on frames begun with drawing suspended: nothing would reach the
  // device, so the frame renderer need not build its quads.
  bool FrameIsDrawn() const { return device && device->inScene; }
  void SetBlendMode(int mode);
  void SetFilterNone();
  void SetFilterLinear();
  void ShowDeviceState(bool restoreFlag);

 private:
  int CreateDirect3DReporting(bool report);
  int CreateDeviceReporting(SDL_Window* window, int fullScreen, int adapter, bool report);
  void ReleaseTextureSlots();
  bool recreationReported_ = false;  // a failed re-creation shows its box once, not every pass
};

// The picture last drawn, 640x480 pixels as 0xFFRRGGBB. False when the device has no pixels
// (the recorder) or none is left.
bool ReadFramePixels(Graphics& graphics, uint32_t* argb);
// Saves that picture as a 640x480 24-bit BMP file. False when it has no pixels or cannot write.
// For the headless driver: while suspended, frames still begin and end (device state, loss) but
// nothing is drawn or presented, so long runs are fast. Drawing never changes the state of play.
void SetGraphicsDrawingSuspended(bool suspended);

bool SaveFrameBmp(Graphics& graphics, const char* path);
// Writes 0xAARRGGBB pixels (alpha ignored) as a bottom-up 24-bit BMP.
bool WriteBmp24(const char* path, const uint32_t* argb, int width, int height);
