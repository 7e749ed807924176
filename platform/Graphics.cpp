#include "platform/Graphics.h"

#include <SDL.h>

#include <cmath>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Platform.h"

namespace {

const char* const kTextureFiles[3] = {"img/tex000.bmp", "img/tex001.bmp", "img/tex002.bmp"};

// Positions from data may be anything; a quad that far out would only make the rasteriser work.
bool DrawablePosition(float f) { return std::isfinite(f) && f >= -1.0e6f && f <= 1.0e6f; }

}  // namespace

Graphics::~Graphics() {
  ReleaseTextureSlots();
  ReleaseGraphicsDevice(device);
  device = nullptr;
  ReleaseGraphicsSystem(direct3D);
  direct3D = nullptr;
}

void Graphics::ReleaseTextureSlots() {
  DeviceFlushQuads(device);  // the waiting quads may use these textures
  for (GraphicsTexture*& t : textures) {
    ReleaseGraphicsTexture(t);
    t = nullptr;
  }
  if (device) device->boundTexture = nullptr;
}

int Graphics::CreateDirect3D() { return CreateDirect3DReporting(true); }

int Graphics::CreateDirect3DReporting(bool report) {
  direct3D = CreateGraphicsSystem(SelectedGraphicsBackend());
  if (direct3D) return 0;
  if (report) PlatformMessageBox("Direct3Dの生成に失敗", "error", MessageBoxOk);
  return 1;
}

int Graphics::CreateDevice(SDL_Window* window, int fullScreen, int adapter) {
  return CreateDeviceReporting(window, fullScreen, adapter, true);
}

int Graphics::CreateDeviceReporting(SDL_Window* window, int fullScreen, int adapter, bool report) {
  presentParams = GraphicsPresentParams();
  ReadDisplayMode(direct3D, adapter, &displayMode);
  presentParams.backBufferWidth = FrameWidth;
  presentParams.backBufferHeight = FrameHeight;
  presentParams.backBufferFormat =
      fullScreen != 0 ? static_cast<uint32_t>(SDL_PIXELFORMAT_RGB565) : displayMode.format;
  presentParams.backBufferCount = 0;
  presentParams.windowed = fullScreen == 0 ? 1 : 0;
  presentParams.enableAutoDepthStencil = 1;
  presentParams.refreshRate = 0;
  presentParams.presentationInterval = 0;

  for (GraphicsDeviceKind kind : {DeviceAcceleratedVsync, DeviceAccelerated, DeviceSoftware}) {
    device = CreateGraphicsDevice(direct3D, window, presentParams, kind);
    if (device) break;
  }
  if (!device) {
    if (report) PlatformMessageBox("Direct3Dの初期化に失敗", "error", MessageBoxOk);
    ReleaseGraphicsSystem(direct3D);
    direct3D = nullptr;
    return 1;
  }
  InitStatesAndTextures();
  return 0;
}

int Graphics::InitStatesAndTextures() {
  // Specular, ambient and lighting have no effect on pre-transformed vertices here.
  ReleaseTextureSlots();
  if (device) {
    for (int slot = 0; slot < 3; ++slot) textures[slot] = LoadGraphicsTexture(device, kTextureFiles[slot]);
  }
  currentTexture = -1;
  if (device) {
    // No depth test and no culling: the drawing order alone decides what lies on top.
    GraphicsRenderState& s = device->state;
    s.srcBlend = BlendFactorSrcAlpha;
    s.destBlend = BlendFactorInvSrcAlpha;
    s.alphaBlendEnable = false;
    s.mipFilter = TextureFilterLinear;
    s.magFilter = TextureFilterLinear;
    s.minFilter = TextureFilterLinear;
    // Texture colour and alpha are modulated by the vertex colour, as the renderer always does.
  }
  return 0;
}

bool Graphics::RecoverLostDevice(SDL_Window* window, int fullScreen, int adapter) {
  if (!device) {
    // An earlier re-creation failed: try again, quietly, each pass until it works.
    if (!direct3D && CreateDirect3DReporting(false) != 0) return false;
    return CreateDeviceReporting(window, fullScreen, adapter, false) == 0;
  }
  const CooperativeLevel level = TestCooperativeLevel(device);
  if (level == CooperativeOk) return true;
  if (level != CooperativeDeviceNotReset) return false;
  if (ResetGraphicsDevice(device, presentParams)) {
    InitStatesAndTextures();
    return true;
  }
  // Re-create everything. The device creation loads the states and the atlases itself; when any
  // step fails the device stays lost (nothing is called on a missing device).
  ReleaseTextureSlots();
  ReleaseGraphicsDevice(device);
  device = nullptr;
  ReleaseGraphicsSystem(direct3D);
  direct3D = nullptr;
  const bool report = !recreationReported_;
  recreationReported_ = true;
  if (CreateDirect3DReporting(report) != 0) return false;
  return CreateDeviceReporting(window, fullScreen, adapter, report) == 0;
}

namespace {
bool g_drawingSuspended = false;
}

void SetGraphicsDrawingSuspended(bool suspended) { g_drawingSuspended = suspended; }

bool Graphics::BeginFrame() {
  if (TestCooperativeLevel(device) != CooperativeOk) return false;
  if (!g_drawingSuspended) {
    DeviceBeginScene(device);
    DeviceClear(device, 0xFF000000u);
  }
  device->state.alphaBlendEnable = true;  // every frame starts in BlendAlpha
  device->state.srcBlend = BlendFactorSrcAlpha;
  device->state.destBlend = BlendFactorInvSrcAlpha;
  currentTexture = -1;
  return true;
}

bool Graphics::DrawQuad(int slot, ScreenVertex v[4]) {
  if (slot != currentTexture && slot >= 0 && slot < TextureSlotCount) {
    DeviceSetTexture(device, textures[slot]);
    currentTexture = slot;
  } else if (slot == -1) {
    DeviceSetTexture(device, nullptr);
    currentTexture = -1;
  }
  if (g_rotateScreen == 1) {
    // The 360x480 playfield turned by a quarter turn to fill the screen.
    for (int i = 0; i < 4; ++i) {
      const float x = v[i].x;
      const float y = v[i].y;
      v[i].x = (480.0f - y) * 1.3333334f;
      v[i].y = (x - 140.0f) * 1.3333334f;
    }
  }
  if (!device || !device->inScene) return true;
  for (int i = 0; i < 4; ++i)
    if (!DrawablePosition(v[i].x) || !DrawablePosition(v[i].y)) return true;
  // Any other slot value keeps the binding as it is and draws with the texture bound.
  DeviceDrawQuad(device, v, true, slot, currentTexture);
  return true;
}

bool Graphics::EndFrame() {
  if (device && device->inScene) DeviceEndScene(device);
  if (TestCooperativeLevel(device) != CooperativeOk) return false;
  if (!g_drawingSuspended) DevicePresent(device);
  return true;
}

void Graphics::SetBlendMode(int mode) {
  if (!device) return;
  GraphicsRenderState& s = device->state;
  if (mode == BlendAlpha) {
    s.alphaBlendEnable = true;
    s.srcBlend = BlendFactorSrcAlpha;
    s.destBlend = BlendFactorInvSrcAlpha;
  } else if (mode == BlendAdditive) {
    s.alphaBlendEnable = true;
    s.srcBlend = BlendFactorOne;
    s.destBlend = BlendFactorOne;
  } else {
    s.alphaBlendEnable = false;  // the factors stay as they were
  }
}

void Graphics::SetFilterNone() {
  if (!device) return;
  device->state.mipFilter = TextureFilterNone;
  device->state.magFilter = TextureFilterNone;
  device->state.minFilter = TextureFilterNone;
}

void Graphics::SetFilterLinear() {
  if (!device) return;
  device->state.mipFilter = TextureFilterLinear;
  device->state.magFilter = TextureFilterLinear;
  device->state.minFilter = TextureFilterLinear;
}

void Graphics::ShowDeviceState(bool restoreFlag) {
  const CooperativeLevel level = TestCooperativeLevel(device);
  const char* text = "---";
  if (level == CooperativeDeviceLost) text = "DEVICELOST";
  if (level == CooperativeDeviceNotReset) text = "DEVICENOTRESET";
  PlatformMessageBox(text, "D3Dcheck", MessageBoxOk);
  PlatformMessageBox(restoreFlag ? "true" : "false", "RestoreFlag", MessageBoxOk);
}

bool ReadFramePixels(Graphics& graphics, uint32_t* argb) { return DeviceReadPixels(graphics.device, argb); }

bool WriteBmp24(const char* path, const uint32_t* argb, int width, int height) {
  if (!path || !argb || width <= 0 || height <= 0) return false;
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3u + 3u) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> file(54 + imageBytes, 0);
  auto put16 = [&](size_t at, uint32_t value) {
    file[at] = static_cast<uint8_t>(value);
    file[at + 1] = static_cast<uint8_t>(value >> 8);
  };
  auto put32 = [&](size_t at, uint32_t value) {
    put16(at, value & 0xFFFF);
    put16(at + 2, value >> 16);
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54 + imageBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));  // positive: rows bottom-up
  put16(26, 1);
  put16(28, 24);
  put32(34, imageBytes);
  put32(38, 2835);  // 72 dpi
  put32(42, 2835);
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = argb + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
    uint8_t* dst = &file[54 + static_cast<size_t>(y) * rowBytes];
    for (int x = 0; x < width; ++x) {
      dst[x * 3 + 0] = static_cast<uint8_t>(src[x]);
      dst[x * 3 + 1] = static_cast<uint8_t>(src[x] >> 8);
      dst[x * 3 + 2] = static_cast<uint8_t>(src[x] >> 16);
    }
  }
  return PlatformWriteFileAtomic(path, file.data(), file.size());
}

bool SaveFrameBmp(Graphics& graphics, const char* path) {
  std::vector<uint32_t> pixels(static_cast<size_t>(FrameWidth) * FrameHeight);
  if (!ReadFramePixels(graphics, pixels.data())) return false;
  return WriteBmp24(path, pixels.data(), FrameWidth, FrameHeight);
}
