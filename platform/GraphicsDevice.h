#pragma once
// The device under `Graphics`: an SDL renderer drawing into a 640x480 target texture (on a real
// window or on SDL's "offscreen" video driver), or a recorder for tests that keeps every call.
// The caller chooses the backend once, before `Graphics::CreateDirect3D`.

#include <cstdint>
#include <string>
#include <vector>

#include <SDL_render.h>

#include "world/GameObject.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Surface;

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 480;

enum GraphicsBackend {
  GraphicsBackendWindow = 0,     // SDL renderer on the game window (the default video driver)
  GraphicsBackendOffscreen = 1,  // the same renderer on SDL's "offscreen" video driver
  GraphicsBackendRecording = 2,  // no pixels: every device call is recorded (tests)
};

void SelectGraphicsBackend(GraphicsBackend backend);
// Asks SDL for its software renderer (the SDL_RENDER_DRIVER environment variable still wins).
// With it no OpenGL library is loaded: for pictures only saved to files.
void PreferSoftwareRenderer();
GraphicsBackend SelectedGraphicsBackend();

// The device kinds tried in this order: an accelerated renderer synchronised to the display,
// the same without synchronisation, then SDL's software renderer.
enum GraphicsDeviceKind {
  DeviceAcceleratedVsync = 0,
  DeviceAccelerated = 1,
  DeviceSoftware = 2,
};

enum CooperativeLevel {
  CooperativeOk = 0,
  CooperativeDeviceLost = 1,
  CooperativeDeviceNotReset = 2,
};

// Sampler filters and blend factors, as the device keeps them.
enum TextureFilter : uint8_t { TextureFilterNone = 0, TextureFilterPoint = 1, TextureFilterLinear = 2 };
enum BlendFactor : uint8_t {
  BlendFactorZero = 1,
  BlendFactorOne = 2,
  BlendFactorSrcAlpha = 5,
  BlendFactorInvSrcAlpha = 6,
};

// A new or reset device starts from these (blending off, ONE/ZERO, point sampling).
struct GraphicsRenderState {
  bool alphaBlendEnable = false;
  BlendFactor srcBlend = BlendFactorOne;
  BlendFactor destBlend = BlendFactorZero;
  TextureFilter mipFilter = TextureFilterNone;
  TextureFilter magFilter = TextureFilterPoint;
  TextureFilter minFilter = TextureFilterPoint;
};

// What the blend state draws as: 0 opaque, 1 alpha, 2 additive (the values of the blend modes).
int EffectiveBlendMode(const GraphicsRenderState& s);

struct GraphicsPresentParams {
  int backBufferWidth = 0;
  int backBufferHeight = 0;
  uint32_t backBufferFormat = 0;  // SDL pixel format
  int backBufferCount = 0;
  int windowed = 0;
  int enableAutoDepthStencil = 0;
  int refreshRate = 0;
  int presentationInterval = 0;
};

struct GraphicsDisplayMode {
  int width = 0, height = 0, refreshRate = 0;
  uint32_t format = 0;
};

// The graphics system under `Graphics`: holds a reference on SDL's video subsystem and the
// backend chosen for its devices.
struct GraphicsSystem {
  GraphicsBackend backend = GraphicsBackendWindow;
};

struct GraphicsTexture {
  SDL_Texture* nearest = nullptr;  // two copies: switching a texture's scale mode would
  SDL_Texture* linear = nullptr;   // also change the draws SDL has queued but not yet flushed
  int serial = 0;                  // recorder: which load made it
};

struct GraphicsDevice {
  GraphicsBackend backend = GraphicsBackendWindow;
  GraphicsDeviceKind kind = DeviceAcceleratedVsync;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;   // the 640x480 picture, presented scaled
  SDL_Texture* white = nullptr;    // 1x1 white: quads without a texture are drawn with it, since
                                   // SDL's software renderer ignores blend modes on plain ones
  bool customBlend = false;        // false: additive falls back to SDL's ADD, alpha forced to 255
  bool inScene = false;
  GraphicsTexture* boundTexture = nullptr;
  GraphicsRenderState state;
  // Quads wait here while they share a texture and a blend mode, and go to SDL in one geometry
  // call: per-quad calls cost more than the drawing. Anything that needs the pixels flushes.
  SDL_Texture* batchTexture = nullptr;
  SDL_BlendMode batchMode = SDL_BLENDMODE_NONE;
  std::vector<SDL_Vertex> batchVertices;
  std::vector<int> batchIndices;
  long geometryCalls = 0;  // geometry calls made since the device was created
  long quadsSent = 0;      // and the quads in them
};

// Render and device resets reported by the window's events; the cooperative level reports them
// until the device is reset.
void NoteGraphicsReset();
bool GraphicsResetPending();

GraphicsSystem* CreateGraphicsSystem(GraphicsBackend backend);  // null on failure
void ReleaseGraphicsSystem(GraphicsSystem* system);
void ReadDisplayMode(GraphicsSystem* system, int adapter, GraphicsDisplayMode* mode);

GraphicsDevice* CreateGraphicsDevice(GraphicsSystem* system, SDL_Window* window,
                                     const GraphicsPresentParams& params, GraphicsDeviceKind kind);
void ReleaseGraphicsDevice(GraphicsDevice* device);
CooperativeLevel TestCooperativeLevel(const GraphicsDevice* device);
bool ResetGraphicsDevice(GraphicsDevice* device, const GraphicsPresentParams& params);

// Loads a BMP as a 640x480 ARGB8888 texture, opaque black made fully transparent; null when the
// file does not load.
GraphicsTexture* LoadGraphicsTexture(GraphicsDevice* device, const char* path);
void ReleaseGraphicsTexture(GraphicsTexture* texture);

void DeviceBeginScene(GraphicsDevice* device);
void DeviceEndScene(GraphicsDevice* device);
void DeviceClear(GraphicsDevice* device, uint32_t argb);
void DeviceSetTexture(GraphicsDevice* device, GraphicsTexture* texture);
// Draws the quad (fan TL, TR, BR, BL) with the bound texture when `useTexture` is set, with vertex
// colours only otherwise. `slot` and `boundSlot` are only recorded.
void DeviceDrawQuad(GraphicsDevice* device, const ScreenVertex v[4], bool useTexture, int slot,
                    int boundSlot);
// Sends the batched quads to SDL (done by every call below that needs them drawn).
void DeviceFlushQuads(GraphicsDevice* device);
void DevicePresent(GraphicsDevice* device);
// The last picture, 640x480 pixels as 0xAARRGGBB (alpha 0xFF). False without pixels.
bool DeviceReadPixels(GraphicsDevice* device, uint32_t* argb);

// Images the game loads are at most this wide and high; a header claiming more is a bad file.
constexpr int kMaxImageSide = 1024;

// Why a BMP file cannot be loaded, judged from its header before anything is allocated:
// "missing", "not a regular file", "unreadable", "not a BMP", "too large" or "truncated"; null
// when it looks sound.
const char* CheckBmpHeader(const char* path);

// The BMP loader: ARGB8888 with opaque black made fully transparent and everything else opaque.
// Not resized. Null when the file does not load, with the reason in `why` when given.
// Free with SDL_FreeSurface.
SDL_Surface* LoadKeyedSurface(const char* path, const char** why = nullptr);

// ---- recording backend ----
enum RecordedCallKind { RecordedBind, RecordedDraw, RecordedClear, RecordedPresent };

struct RecordedCall {
  RecordedCallKind kind = RecordedDraw;
  int slot = -1;         // draw: the slot asked for; bind: the slot bound (-1 none)
  int boundSlot = -1;    // draw: the slot bound when drawn (-1 none)
  bool textured = false; // draw: a texture was applied
  int blendMode = 0;     // draw: EffectiveBlendMode
  TextureFilter filter = TextureFilterLinear;  // draw: the magnification filter
  ScreenVertex v[4];     // draw: the vertices after rotation
};

struct GraphicsRecorder {
  std::vector<RecordedCall> calls;
  int textureLoads = 0;   // loads attempted
  int liveTextures = 0;   // textures created and not yet released
  int devicesCreated = 0;
  bool failCreateSystem = false;
  bool failCreateDevice = false;
  bool failReset = false;
  bool deviceLost = false;  // cooperative level reports a lost device

  void Clear() { *this = GraphicsRecorder(); }
  std::vector<RecordedCall> Draws() const;
};

extern GraphicsRecorder g_graphicsRecorder;
