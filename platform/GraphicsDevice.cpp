#include "platform/GraphicsDevice.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

GraphicsRecorder g_graphicsRecorder;

namespace {

GraphicsBackend g_selectedBackend = GraphicsBackendWindow;
bool g_resetPending = false;

bool Recording(const GraphicsDevice* d) { return d->backend == GraphicsBackendRecording; }

SDL_BlendMode OneOneBlendMode() {
  return SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD,
                                    SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE, SDL_BLENDOPERATION_ADD);
}

SDL_Texture* CreateFrameTarget(SDL_Renderer* renderer) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                     FrameWidth, FrameHeight);
  if (!t) return nullptr;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(t, SDL_ScaleModeLinear);
  if (SDL_SetRenderTarget(renderer, t) != 0) {
    SDL_DestroyTexture(t);
    return nullptr;
  }
  return t;
}

SDL_Texture* CreateAtlasCopy(SDL_Renderer* renderer, SDL_Surface* s, SDL_ScaleMode mode) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                     s->w, s->h);
  if (!t) return nullptr;
  if (SDL_UpdateTexture(t, nullptr, s->pixels, s->pitch) != 0) {
    SDL_DestroyTexture(t);
    return nullptr;
  }
  SDL_SetTextureScaleMode(t, mode);
  return t;
}

SDL_Texture* CreateWhiteTexture(SDL_Renderer* renderer) {
  SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
  const uint32_t white = 0xFFFFFFFFu;
  if (t && SDL_UpdateTexture(t, nullptr, &white, 4) != 0) {
    SDL_DestroyTexture(t);
    t = nullptr;
  }
  return t;
}

// The resources a reset loses; false when one cannot be made again.
bool CreateDeviceTextures(GraphicsDevice* d) {
  if (d->target) SDL_DestroyTexture(d->target);
  if (d->white) SDL_DestroyTexture(d->white);
  d->target = CreateFrameTarget(d->renderer);
  d->white = CreateWhiteTexture(d->renderer);
  return d->target && d->white;
}

}  // namespace

void SelectGraphicsBackend(GraphicsBackend backend) { g_selectedBackend = backend; }
void PreferSoftwareRenderer() {
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  // Else the window's surface would be shown through a GL renderer of its own.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}
GraphicsBackend SelectedGraphicsBackend() { return g_selectedBackend; }

void NoteGraphicsReset() { g_resetPending = true; }
bool GraphicsResetPending() { return g_resetPending; }

int EffectiveBlendMode(const GraphicsRenderState& s) {
  if (!s.alphaBlendEnable) return 0;
  if (s.srcBlend == BlendFactorOne && s.destBlend == BlendFactorOne) return 2;
  return 1;
}

std::vector<RecordedCall> GraphicsRecorder::Draws() const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls)
    if (c.kind == RecordedDraw) out.push_back(c);
  return out;
}

// ---- system ----

GraphicsSystem* CreateGraphicsSystem(GraphicsBackend backend) {
  if (backend == GraphicsBackendRecording) {
    if (g_graphicsRecorder.failCreateSystem) return nullptr;
  } else {
    // A reference on the video subsystem; the window holds its own, so releasing this one during a
    // device recovery leaves the window alive.
    if (backend == GraphicsBackendOffscreen && SDL_WasInit(SDL_INIT_VIDEO) == 0)
      SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    // Mesa's GL drivers lose what they allocated when unloaded, so the first start that may use
    // GL keeps the video subsystem and the GL library loaded until the process ends.
    const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    const bool softwareOnly = driver && SDL_strcasecmp(driver, "software") == 0;
    static bool keptLoaded = false;
    if (!keptLoaded && !softwareOnly) {
      keptLoaded = true;
      SDL_InitSubSystem(SDL_INIT_VIDEO);
      SDL_GL_LoadLibrary(nullptr);  // without GL the renderer falls back to software
    }
  }
  GraphicsSystem* system = new GraphicsSystem;
  system->backend = backend;
  return system;
}

void ReleaseGraphicsSystem(GraphicsSystem* system) {
  if (!system) return;
  if (system->backend != GraphicsBackendRecording) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  delete system;
}

void ReadDisplayMode(GraphicsSystem* system, int adapter, GraphicsDisplayMode* mode) {
  *mode = GraphicsDisplayMode();
  if (!system || system->backend == GraphicsBackendRecording) {
    mode->width = FrameWidth;
    mode->height = FrameHeight;
    mode->format = SDL_PIXELFORMAT_ARGB8888;
    return;
  }
  SDL_DisplayMode m{};
  if (SDL_GetDesktopDisplayMode(adapter, &m) != 0) return;
  mode->width = m.w;
  mode->height = m.h;
  mode->refreshRate = m.refresh_rate;
  mode->format = m.format;
}

// ---- device ----

GraphicsDevice* CreateGraphicsDevice(GraphicsSystem* system, SDL_Window* window,
                                     const GraphicsPresentParams& params, GraphicsDeviceKind kind) {
  (void)params;  // the picture is always drawn as 640x480 ARGB8888 and scaled when presented
  if (!system) return nullptr;
  if (system->backend == GraphicsBackendRecording) {
    if (g_graphicsRecorder.failCreateDevice) return nullptr;
    GraphicsDevice* d = new GraphicsDevice;
    d->backend = GraphicsBackendRecording;
    d->kind = kind;
    d->window = window;
    d->customBlend = true;
    g_graphicsRecorder.devicesCreated++;
    g_resetPending = false;
    return d;
  }
  if (!window) return nullptr;
  Uint32 flags = SDL_RENDERER_TARGETTEXTURE;
  if (kind == DeviceAcceleratedVsync) flags |= SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC;
  if (kind == DeviceAccelerated) flags |= SDL_RENDERER_ACCELERATED;
  if (kind == DeviceSoftware) flags |= SDL_RENDERER_SOFTWARE;
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
  if (!renderer) return nullptr;
  GraphicsDevice* d = new GraphicsDevice;
  d->backend = system->backend;
  d->kind = kind;
  d->window = window;
  d->renderer = renderer;
  if (!CreateDeviceTextures(d)) {
    ReleaseGraphicsDevice(d);
    return nullptr;
  }
  // The software renderer has no custom blend modes.
  d->customBlend = SDL_SetRenderDrawBlendMode(renderer, OneOneBlendMode()) == 0;
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  g_resetPending = false;  // a new device has nothing to reset
  return d;
}

void ReleaseGraphicsDevice(GraphicsDevice* d) {
  if (!d) return;
  if (!Recording(d)) {
    d->batchVertices.clear();  // drawn into a target about to go
    d->batchIndices.clear();
    if (d->target) SDL_DestroyTexture(d->target);
    if (d->white) SDL_DestroyTexture(d->white);
    if (d->renderer) SDL_DestroyRenderer(d->renderer);
  }
  delete d;
}

CooperativeLevel TestCooperativeLevel(const GraphicsDevice* d) {
  if (!d) return CooperativeDeviceLost;
  if (Recording(d) && g_graphicsRecorder.deviceLost) return CooperativeDeviceLost;
  if (g_resetPending) return CooperativeDeviceNotReset;
  return CooperativeOk;
}

bool ResetGraphicsDevice(GraphicsDevice* d, const GraphicsPresentParams& params) {
  (void)params;
  if (!d) return false;
  if (Recording(d)) {
    if (g_graphicsRecorder.failReset) return false;
  } else {
    // The renderer survives a reset; its textures are made again.
    DeviceFlushQuads(d);
    if (!CreateDeviceTextures(d)) return false;
  }
  d->state = GraphicsRenderState();
  d->boundTexture = nullptr;
  d->inScene = false;
  g_resetPending = false;
  return true;
}

// ---- textures ----

namespace {
// The header test of CheckBmpHeader on a file opened for reading.
const char* CheckBmpFile(std::FILE* f) {
  uint8_t h[54] = {};
  const size_t got = std::fread(h, 1, sizeof h, f);
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length < 0) return "unreadable";
  auto u16 = [&](int at) { return static_cast<uint32_t>(h[at] | h[at + 1] << 8); };
  auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
  if (got < 26 || h[0] != 'B' || h[1] != 'M') return "not a BMP";
  const uint32_t dataOffset = u32(10);
  const uint32_t headerSize = u32(14);
  int64_t width = 0, height = 0;
  uint32_t depth = 0, compression = 0;
  if (headerSize == 12) {
    width = u16(18);
    height = u16(20);
    depth = u16(24);
  } else if (headerSize >= 40 && headerSize <= 124 && got >= 34) {
    width = static_cast<int32_t>(u32(18));
    height = static_cast<int32_t>(u32(22));  // negative: rows top-down
    depth = u16(28);
    compression = u32(30);
  } else {
    return "not a BMP";
  }
  if (height < 0) height = -height;
  if (width <= 0 || height == 0) return "not a BMP";
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return "not a BMP";
  if (width > kMaxImageSide || height > kMaxImageSide) return "too large";
  if (compression == 0 || compression == 3) {  // plain rows: the file must hold them all
    const int64_t rowBytes = (width * depth + 31) / 32 * 4;
    if (static_cast<int64_t>(dataOffset) + rowBytes * height > length) return "truncated";
  }
  return nullptr;
}
}  // namespace

const char* CheckBmpHeader(const char* path) {
  const char* why = nullptr;
  std::FILE* f = PlatformOpenFileForReading(path, &why);
  if (!f) return why;
  why = CheckBmpFile(f);
  std::fclose(f);
  return why;
}

SDL_Surface* LoadKeyedSurface(const char* path, const char** why) {
  const char* unused = nullptr;
  if (!why) why = &unused;
  std::FILE* f = PlatformOpenFileForReading(path, why);
  if (!f) return nullptr;
  *why = CheckBmpFile(f);
  if (!*why && std::fseek(f, 0, SEEK_SET) != 0) *why = "unreadable";
  if (*why) {
    std::fclose(f);
    return nullptr;
  }
  // The decoder reads the file that was tested, not whatever the name holds by now.
  SDL_RWops* rw = SDL_RWFromFP(f, SDL_TRUE);
  if (!rw) {
    std::fclose(f);
    *why = "unreadable";
    return nullptr;
  }
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  *why = "not a BMP";
  if (!loaded) return nullptr;
  SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  *why = "out of memory";
  if (!s) return nullptr;
  *why = nullptr;
  if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
  for (int y = 0; y < s->h; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) +
                                                static_cast<size_t>(y) * static_cast<size_t>(s->pitch));
    for (int x = 0; x < s->w; ++x)
      row[x] = (row[x] & 0x00FFFFFFu) == 0 ? 0u : (row[x] | 0xFF000000u);
  }
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  return s;
}

namespace {
// Atlases are used as 640x480 textures whatever the file's size, stretched with a linear filter.
SDL_Surface* LoadAtlasSurface(const char* path, const char** why) {
  SDL_Surface* s = LoadKeyedSurface(path, why);
  if (!s || (s->w == FrameWidth && s->h == FrameHeight)) return s;
  SDL_Surface* sized = SDL_CreateRGBSurfaceWithFormat(0, FrameWidth, FrameHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  if (sized && SDL_SoftStretchLinear(s, nullptr, sized, nullptr) != 0) {
    SDL_FreeSurface(sized);
    sized = nullptr;
  }
  SDL_FreeSurface(s);
  if (!sized) *why = "out of memory";
  return sized;
}
}  // namespace

GraphicsTexture* LoadGraphicsTexture(GraphicsDevice* d, const char* path) {
  if (!d) return nullptr;
  if (Recording(d)) g_graphicsRecorder.textureLoads++;
  const char* why = nullptr;
  SDL_Surface* s = LoadAtlasSurface(path, &why);
  if (!s) {
    // The game goes on with the slot empty; say which file and why.
    PlatformReportUnloadableFile(path, why);
    return nullptr;
  }
  GraphicsTexture* t = new GraphicsTexture;
  if (Recording(d)) {
    t->serial = g_graphicsRecorder.textureLoads;
    g_graphicsRecorder.liveTextures++;
  } else {
    t->nearest = CreateAtlasCopy(d->renderer, s, SDL_ScaleModeNearest);
    t->linear = CreateAtlasCopy(d->renderer, s, SDL_ScaleModeLinear);
    if (!t->nearest || !t->linear) {
      ReleaseGraphicsTexture(t);
      t = nullptr;
    }
  }
  SDL_FreeSurface(s);
  return t;
}

void ReleaseGraphicsTexture(GraphicsTexture* t) {
  if (!t) return;
  if (t->nearest) SDL_DestroyTexture(t->nearest);
  if (t->linear) SDL_DestroyTexture(t->linear);
  if (t->serial) g_graphicsRecorder.liveTextures--;
  delete t;
}

// ---- drawing ----

void DeviceBeginScene(GraphicsDevice* d) {
  if (!d) return;
  d->inScene = true;
  DeviceFlushQuads(d);
  if (!Recording(d)) SDL_SetRenderTarget(d->renderer, d->target);
}

void DeviceEndScene(GraphicsDevice* d) {
  if (!d) return;
  DeviceFlushQuads(d);
  d->inScene = false;
}

void DeviceFlushQuads(GraphicsDevice* d) {
  if (!d || d->batchIndices.empty()) return;
  SDL_SetTextureBlendMode(d->batchTexture, d->batchMode);
  SDL_RenderGeometry(d->renderer, d->batchTexture, d->batchVertices.data(), static_cast<int>(d->batchVertices.size()),
                     d->batchIndices.data(), static_cast<int>(d->batchIndices.size()));
  d->geometryCalls++;
  d->quadsSent += static_cast<long>(d->batchIndices.size() / 6);
  d->batchVertices.clear();
  d->batchIndices.clear();
}

void DeviceClear(GraphicsDevice* d, uint32_t argb) {
  if (!d) return;
  if (Recording(d)) {
    RecordedCall c;
    c.kind = RecordedClear;
    g_graphicsRecorder.calls.push_back(c);
    return;
  }
  DeviceFlushQuads(d);
  SDL_SetRenderDrawColor(d->renderer, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24);
  SDL_RenderClear(d->renderer);
}

void DeviceSetTexture(GraphicsDevice* d, GraphicsTexture* t) {
  if (!d) return;
  d->boundTexture = t;
  if (Recording(d)) {
    RecordedCall c;
    c.kind = RecordedBind;
    c.slot = t ? t->serial : -1;
    g_graphicsRecorder.calls.push_back(c);
  }
}

void DeviceDrawQuad(GraphicsDevice* d, const ScreenVertex v[4], bool useTexture, int slot, int boundSlot) {
  if (!d) return;
  GraphicsTexture* t = useTexture ? d->boundTexture : nullptr;
  const int blend = EffectiveBlendMode(d->state);
  const bool linear = d->state.magFilter == TextureFilterLinear;
  if (Recording(d)) {
    RecordedCall c;
    c.kind = RecordedDraw;
    c.slot = slot;
    c.boundSlot = boundSlot;
    c.textured = t != nullptr;
    c.blendMode = blend;
    c.filter = d->state.magFilter;
    std::memcpy(c.v, v, sizeof c.v);
    g_graphicsRecorder.calls.push_back(c);
    return;
  }
  SDL_BlendMode mode = SDL_BLENDMODE_NONE;
  bool forceOpaqueAlpha = false;
  if (blend == 1) mode = SDL_BLENDMODE_BLEND;
  if (blend == 2) {
    if (d->customBlend) {
      mode = OneOneBlendMode();
    } else {
      // ADD multiplies the source by its alpha; with the vertex alpha at 255 only the texture's
      // alpha (0 or 255 after the colour key) remains, which gives ONE/ONE.
      mode = SDL_BLENDMODE_ADD;
      forceOpaqueAlpha = true;
    }
  }
  SDL_Texture* tex = t ? (linear ? t->linear : t->nearest) : d->white;
  if (tex != d->batchTexture || mode != d->batchMode) {
    DeviceFlushQuads(d);
    d->batchTexture = tex;
    d->batchMode = mode;
  }
  const int first = static_cast<int>(d->batchVertices.size());
  for (int i = 0; i < 4; ++i) {
    SDL_Vertex sv;
    // The game's vertices put pixel centres on integer coordinates, SDL half-way between them.
    sv.position.x = v[i].x + 0.5f;
    sv.position.y = v[i].y + 0.5f;
    const uint32_t c = v[i].color;
    sv.color.r = static_cast<Uint8>((c >> 16) & 0xFF);
    sv.color.g = static_cast<Uint8>((c >> 8) & 0xFF);
    sv.color.b = static_cast<Uint8>(c & 0xFF);
    sv.color.a = forceOpaqueAlpha ? 255 : static_cast<Uint8>(c >> 24);
    sv.tex_coord.x = v[i].u;
    sv.tex_coord.y = v[i].v;
    d->batchVertices.push_back(sv);
  }
  static const int kFan[6] = {0, 1, 2, 0, 2, 3};
  for (int i : kFan) d->batchIndices.push_back(first + i);
}

void DevicePresent(GraphicsDevice* d) {
  if (!d) return;
  if (Recording(d)) {
    RecordedCall c;
    c.kind = RecordedPresent;
    g_graphicsRecorder.calls.push_back(c);
    return;
  }
  DeviceFlushQuads(d);
  SDL_Renderer* r = d->renderer;
  SDL_SetRenderTarget(r, nullptr);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  int w = FrameWidth, h = FrameHeight;
  SDL_GetRendererOutputSize(r, &w, &h);
  // Scaled to fit, letterboxed when the output's shape differs.
  SDL_Rect dst{0, 0, w, h};
  if (w * FrameHeight > h * FrameWidth) {
    dst.w = h * FrameWidth / FrameHeight;
    dst.x = (w - dst.w) / 2;
  } else {
    dst.h = w * FrameHeight / FrameWidth;
    dst.y = (h - dst.h) / 2;
  }
  SDL_RenderCopy(r, d->target, nullptr, &dst);
  SDL_RenderPresent(r);
  SDL_SetRenderTarget(r, d->target);
}

bool DeviceReadPixels(GraphicsDevice* d, uint32_t* argb) {
  if (!d || Recording(d) || !d->target) return false;
  DeviceFlushQuads(d);
  SDL_SetRenderTarget(d->renderer, d->target);
  if (SDL_RenderReadPixels(d->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, argb, FrameWidth * 4) != 0)
    return false;
  for (int i = 0; i < FrameWidth * FrameHeight; ++i) argb[i] |= 0xFF000000u;
  return true;
}
