// The graphics layer on the recording backend (device calls) and on SDL's offscreen driver
// (pixels). The offscreen tests skip where that driver is missing.

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Graphics.h"
#include "platform/Platform.h"
#include "platform/Window.h"

namespace {

// A temporary folder that becomes the current directory, holding img/tex00N.bmp when asked.
class TempGameDir {
 public:
  TempGameDir() {
    std::string pattern = testing::TempDir() + "wexla_gfx_XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    path_ = mkdtemp(buf.data());
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
    std::filesystem::create_directory("img");
  }
  ~TempGameDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_, old_;
};

void WriteAtlas(const char* path, uint32_t colour) {
  std::vector<uint32_t> px(FrameWidth * FrameHeight, colour);
  ASSERT_TRUE(WriteBmp24(path, px.data(), FrameWidth, FrameHeight));
}

void Quad(ScreenVertex q[4], float x0, float y0, float x1, float y1, uint32_t colour) {
  const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
  const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    q[i].x = xs[i];
    q[i].y = ys[i];
    q[i].z = 0.5f;
    q[i].rhw = 1.0f;
    q[i].color = colour;
    q[i].u = us[i];
    q[i].v = vs[i];
  }
}

class RecordingGraphics : public testing::Test {
 protected:
  void SetUp() override {
    PlatformEnableMessageBoxes(false);
    g_graphicsRecorder.Clear();
    SelectGraphicsBackend(GraphicsBackendRecording);
    NoteGraphicsReset();  // a new device clears it
    g_rotateScreen = -1;
    WriteAtlas("img/tex000.bmp", 0xFF0000FF);
    WriteAtlas("img/tex001.bmp", 0xFF00FF00);
    WriteAtlas("img/tex002.bmp", 0xFFFF0000);
    ASSERT_EQ(g.CreateDirect3D(), 0);
    ASSERT_EQ(g.CreateDevice(nullptr, 0, 0), 0);
    ASSERT_FALSE(GraphicsResetPending());
  }
  void TearDown() override { g_rotateScreen = -1; }

  std::vector<RecordedCall> Calls(RecordedCallKind kind) const {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : g_graphicsRecorder.calls)
      if (c.kind == kind) out.push_back(c);
    return out;
  }

  TempGameDir dir;
  Graphics g;
};

TEST_F(RecordingGraphics, BindRules) {
  ScreenVertex q[4];
  Quad(q, 0, 0, 10, 10, 0xFFFFFFFF);
  ASSERT_TRUE(g.BeginFrame());
  struct Step {
    int slot;
    bool binds;
    int current;  // currentTexture afterwards
    bool textured;
  } steps[] = {
      {-1, true, -1, false},  // unbinds although nothing was bound
      {1, true, 1, true},     {1, false, 1, true},  // the second draw with slot 1 binds nothing
      {-1, true, -1, false},  {5, true, 5, false},  // an empty slot: vertex colours only
      {2, true, 2, true},
      {16, false, 2, true},  // out of range: binding kept and drawn with it
      {-7, false, 2, true},   {2, false, 2, true},  {-1, true, -1, false},
      {1000, false, -1, false},  // out of range with nothing bound: still nothing
      {5, true, 5, false},    {-2, false, 5, false},  // the bound slot is empty
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.slot);
    g_graphicsRecorder.calls.clear();
    Quad(q, 0, 0, 10, 10, 0xFFFFFFFF);
    EXPECT_TRUE(g.DrawQuad(s.slot, q));
    EXPECT_EQ(Calls(RecordedBind).size(), s.binds ? 1u : 0u);
    EXPECT_EQ(g.currentTexture, s.current);
    auto draws = g_graphicsRecorder.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].slot, s.slot);
    EXPECT_EQ(draws[0].textured, s.textured);
    EXPECT_EQ(draws[0].boundSlot, s.current);
  }
  ASSERT_TRUE(g.EndFrame());
  // Each frame forgets the binding.
  ASSERT_TRUE(g.BeginFrame());
  g_graphicsRecorder.calls.clear();
  EXPECT_TRUE(g.DrawQuad(2, q));
  EXPECT_EQ(Calls(RecordedBind).size(), 1u);
}

TEST_F(RecordingGraphics, RotatedDisplayWritesBackIntoTheCallersVertices) {
  struct Case {
    int rotate;
    float x, y, wantX, wantY;
  } cases[] = {
      {1, 140, 0, 640, 0}, {1, 500, 480, 0, 480}, {1, 320, 240, 320, 240},
      {0, 140, 0, 140, 0}, {2, 500, 480, 500, 480}, {-1, 500, 480, 500, 480},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rotate << " " << c.x << "," << c.y);
    g_rotateScreen = c.rotate;
    ASSERT_TRUE(g.BeginFrame());
    g_graphicsRecorder.calls.clear();
    ScreenVertex q[4];
    Quad(q, c.x, c.y, c.x, c.y, 0x12345678);
    q[2].u = 0.25f;
    ASSERT_TRUE(g.DrawQuad(0, q));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(q[i].x, c.wantX);
      EXPECT_EQ(q[i].y, c.wantY);
      EXPECT_EQ(q[i].z, 0.5f);
      EXPECT_EQ(q[i].rhw, 1.0f);
      EXPECT_EQ(q[i].color, 0x12345678u);
    }
    EXPECT_EQ(q[2].u, 0.25f);
    auto draws = g_graphicsRecorder.Draws();
    ASSERT_EQ(draws.size(), 1u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(draws[0].v[i].x, c.wantX);
      EXPECT_EQ(draws[0].v[i].y, c.wantY);
    }
    ASSERT_TRUE(g.EndFrame());
  }
}

TEST_F(RecordingGraphics, BlendAndFilterState) {
  ScreenVertex q[4];
  auto drawn = [&]() {
    g_graphicsRecorder.calls.clear();
    Quad(q, 0, 0, 4, 4, 0xFFFFFFFF);
    g.DrawQuad(0, q);
    auto d = g_graphicsRecorder.Draws();
    return d.empty() ? RecordedCall() : d[0];
  };
  ASSERT_TRUE(g.BeginFrame());
  EXPECT_EQ(drawn().blendMode, BlendAlpha);
  EXPECT_EQ(drawn().filter, TextureFilterLinear);
  const struct {
    int mode, want;
  } modes[] = {{BlendAdditive, BlendAdditive}, {BlendOpaque, BlendOpaque}, {BlendAlpha, BlendAlpha},
               {7, BlendOpaque},               {BlendAlpha, BlendAlpha}, {-1, BlendOpaque}};
  for (const auto& m : modes) {
    g.SetBlendMode(m.mode);
    EXPECT_EQ(drawn().blendMode, m.want) << m.mode;
  }
  // Opaque leaves the factors as they were.
  g.SetBlendMode(BlendAdditive);
  g.SetBlendMode(BlendOpaque);
  EXPECT_EQ(g.device->state.srcBlend, BlendFactorOne);
  EXPECT_EQ(g.device->state.destBlend, BlendFactorOne);
  g.SetFilterNone();
  EXPECT_EQ(drawn().filter, TextureFilterNone);
  EXPECT_EQ(g.device->state.mipFilter, TextureFilterNone);
  EXPECT_EQ(g.device->state.minFilter, TextureFilterNone);
  ASSERT_TRUE(g.EndFrame());
  // The next frame starts in BlendAlpha; the filter persists.
  ASSERT_TRUE(g.BeginFrame());
  RecordedCall c = drawn();
  EXPECT_EQ(c.blendMode, BlendAlpha);
  EXPECT_EQ(c.filter, TextureFilterNone);
  g.SetFilterLinear();
  EXPECT_EQ(drawn().filter, TextureFilterLinear);
}

TEST_F(RecordingGraphics, QuadsWithUnusablePositionsAreNotDrawn) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    int vertex;
    bool yCoord;
    float value;
    bool drawn;
  } cases[] = {{0, false, nan, false},    {3, true, nan, false},     {1, false, inf, false},
               {2, true, -inf, false},    {2, false, 1.5e6f, false}, {0, true, -1.5e6f, false},
               {1, false, 1.0e6f, true},  {3, true, -1.0e6f, true},  {0, false, -20.0f, true}};
  ASSERT_TRUE(g.BeginFrame());
  for (int rotate : {0, 1}) {
    g_rotateScreen = rotate;
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << rotate << " v" << c.vertex << " " << c.value);
      g_graphicsRecorder.calls.clear();
      ScreenVertex q[4];
      Quad(q, 150, 10, 160, 20, 0xFFFFFFFF);
      (c.yCoord ? q[c.vertex].y : q[c.vertex].x) = c.value;
      // Under rotation a bound of 1e6 before the turn ends beyond it after: only finiteness counts.
      const bool want = c.drawn && (rotate == 0 || std::fabs(c.value) < 1.0e5f);
      EXPECT_TRUE(g.DrawQuad(1, q));
      EXPECT_EQ(g_graphicsRecorder.Draws().size(), want ? 1u : 0u);
    }
  }
}

TEST_F(RecordingGraphics, DeviceRecovery) {
  EXPECT_EQ(g_graphicsRecorder.textureLoads, 3);
  EXPECT_EQ(g_graphicsRecorder.liveTextures, 3);

  // A size change without a real loss: usable at once, nothing reloaded.
  EXPECT_TRUE(g.RecoverLostDevice(nullptr, 0, 0));
  EXPECT_EQ(g_graphicsRecorder.textureLoads, 3);

  // Still lost: no frame, no recovery yet.
  g_graphicsRecorder.deviceLost = true;
  EXPECT_FALSE(g.BeginFrame());
  EXPECT_FALSE(g.RecoverLostDevice(nullptr, 0, 0));
  g_graphicsRecorder.deviceLost = false;

  // A reset: every atlas is loaded again into the same slots, none of the old ones stays.
  NoteGraphicsReset();
  EXPECT_FALSE(g.BeginFrame());
  EXPECT_TRUE(g.RecoverLostDevice(nullptr, 0, 0));
  EXPECT_FALSE(GraphicsResetPending());
  EXPECT_EQ(g_graphicsRecorder.textureLoads, 6);
  EXPECT_EQ(g_graphicsRecorder.liveTextures, 3);
  for (int slot = 0; slot < 3; ++slot) ASSERT_NE(g.textures[slot], nullptr);
  EXPECT_EQ(g.textures[0]->serial, 4);
  EXPECT_TRUE(g.BeginFrame());
  EXPECT_TRUE(g.EndFrame());
}

TEST_F(RecordingGraphics, FailedRecreationStaysLost) {
  NoteGraphicsReset();
  ScreenVertex q[4];
  EXPECT_FALSE(g.EndFrame());
  g_graphicsRecorder.failReset = true;
  g_graphicsRecorder.failCreateDevice = true;
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_FALSE(g.RecoverLostDevice(nullptr, 0, 0));
    EXPECT_EQ(g.device, nullptr);
    EXPECT_FALSE(g.BeginFrame());
    Quad(q, 0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_TRUE(g.DrawQuad(1, q));
    g.SetBlendMode(BlendAdditive);
    g.SetFilterNone();
    EXPECT_FALSE(g.EndFrame());
  }
  EXPECT_EQ(g_graphicsRecorder.liveTextures, 0);
  EXPECT_EQ(g_graphicsRecorder.Draws().size(), 0u);
  // Once a device can be made again the atlases are loaded once.
  g_graphicsRecorder.failCreateDevice = false;
  EXPECT_TRUE(g.RecoverLostDevice(nullptr, 0, 0));
  EXPECT_EQ(g_graphicsRecorder.textureLoads, 6);
  EXPECT_EQ(g_graphicsRecorder.liveTextures, 3);
  EXPECT_TRUE(g.RecoverLostDevice(nullptr, 0, 0));
  EXPECT_TRUE(g.BeginFrame());
  EXPECT_TRUE(g.DrawQuad(1, q));
  EXPECT_EQ(g_graphicsRecorder.Draws().size(), 1u);
  EXPECT_TRUE(g.EndFrame());
}

TEST(GraphicsStartup, FailuresReturnOneAndHoldNothing) {
  PlatformEnableMessageBoxes(false);
  TempGameDir dir;  // no atlases: slots stay empty
  g_graphicsRecorder.Clear();
  SelectGraphicsBackend(GraphicsBackendRecording);
  {
    g_graphicsRecorder.failCreateSystem = true;
    Graphics g;
    EXPECT_EQ(g.CreateDirect3D(), 1);
    EXPECT_EQ(g.direct3D, nullptr);
  }
  g_graphicsRecorder.Clear();
  {
    g_graphicsRecorder.failCreateDevice = true;
    Graphics g;
    EXPECT_EQ(g.CreateDirect3D(), 0);
    EXPECT_EQ(g.CreateDevice(nullptr, 1, 0), 1);
    EXPECT_EQ(g.direct3D, nullptr);
    EXPECT_EQ(g.device, nullptr);
    EXPECT_FALSE(g.BeginFrame());
  }
  g_graphicsRecorder.Clear();
  {
    Graphics g;
    ASSERT_EQ(g.CreateDirect3D(), 0);
    ASSERT_EQ(g.CreateDevice(nullptr, 0, 0), 0);
    EXPECT_EQ(g_graphicsRecorder.textureLoads, 3);
    for (GraphicsTexture* t : g.textures) EXPECT_EQ(t, nullptr);
    ASSERT_TRUE(g.BeginFrame());
    ScreenVertex q[4];
    Quad(q, 0, 0, 4, 4, 0xFFFFFFFF);
    g.DrawQuad(0, q);
    auto draws = g_graphicsRecorder.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FALSE(draws[0].textured);
  }
}

TEST(GraphicsTextures, OpaqueBlackBecomesTransparentAndAllElseOpaque) {
  TempGameDir dir;
  // 3x2 so that each row is padded.
  const uint32_t px[6] = {0x000000, 0x010000, 0xFFFFFF, 0x000001, 0x80000100, 0x000000};
  ASSERT_TRUE(WriteBmp24("key.bmp", px, 3, 2));
  SDL_Surface* s = LoadKeyedSurface("key.bmp");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->w, 3);
  ASSERT_EQ(s->h, 2);
  const uint32_t want[6] = {0x00000000, 0xFF010000, 0xFFFFFFFF, 0xFF000001, 0xFF000100, 0x00000000};
  for (int i = 0; i < 6; ++i) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + (i / 3) * s->pitch);
    EXPECT_EQ(row[i % 3], want[i]) << i;
  }
  SDL_FreeSurface(s);
  EXPECT_EQ(LoadKeyedSurface("missing.bmp"), nullptr);
  EXPECT_EQ(LoadKeyedSurface("img"), nullptr);  // a folder
}

// An 86-byte BMP: file header, 40-byte info header, then 32 bytes of zeros.
std::vector<uint8_t> BmpHeader(int32_t width, int32_t height, uint16_t depth) {
  std::vector<uint8_t> b(86, 0);
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, 86, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, depth, 2);
  return b;
}

void WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Sizes and depths from an untrusted header are judged before anything is allocated.
TEST(GraphicsTextures, BadBmpHeadersAreRefusedBeforeLoading) {
  TempGameDir dir;
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* why;
  };
  std::vector<uint8_t> notBm = BmpHeader(4, 4, 24);
  notBm[1] = 'X';
  std::vector<uint8_t> oddHeader = BmpHeader(4, 4, 24);
  oddHeader[14] = 200;
  std::vector<uint8_t> fits = BmpHeader(4, 2, 24);  // 2 rows of 12 bytes after offset 54: 78
  std::vector<uint8_t> oneShort(fits.begin(), fits.begin() + 77);
  const Case cases[] = {
      {"huge", BmpHeader(268435460, 4, 32), "too large"},
      {"wide", BmpHeader(1025, 1, 24), "too large"},
      {"tall", BmpHeader(1, 1025, 24), "too large"},
      {"tall_topdown", BmpHeader(1, -1025, 24), "too large"},
      {"min_height", BmpHeader(1, std::numeric_limits<int32_t>::min(), 24), "too large"},
      {"zero_width", BmpHeader(0, 4, 24), "not a BMP"},
      {"negative_width", BmpHeader(-4, 4, 24), "not a BMP"},
      {"zero_height", BmpHeader(4, 0, 24), "not a BMP"},
      {"depth_7", BmpHeader(4, 4, 7), "not a BMP"},
      {"depth_0", BmpHeader(4, 4, 0), "not a BMP"},
      {"depth_64", BmpHeader(4, 4, 64), "not a BMP"},
      {"not_bm", notBm, "not a BMP"},
      {"odd_info_header", oddHeader, "not a BMP"},
      {"short_file", std::vector<uint8_t>(fits.begin(), fits.begin() + 20), "not a BMP"},
      {"full_size_no_pixels", BmpHeader(1024, 1024, 32), "truncated"},
      {"one_byte_short", oneShort, "truncated"},
      {"fits", fits, nullptr},
      {"largest_1bit", {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = c.bytes;
    if (bytes.empty()) {  // 1024 x 1024 at one bit a pixel: 128 bytes a row, two palette entries
      bytes = BmpHeader(1024, 1024, 1);
      bytes[10] = 62;
      bytes.resize(62 + 128 * 1024, 0);
      for (int i = 58; i < 61; ++i) bytes[i] = 0xFF;  // colour 1 white
    }
    WriteBytes("x.bmp", bytes);
    const char* why = CheckBmpHeader("x.bmp");
    if (c.why) {
      ASSERT_NE(why, nullptr);
      EXPECT_STREQ(why, c.why);
    } else {
      EXPECT_EQ(why, nullptr) << why;
    }
    const char* loadWhy = "unset";
    SDL_Surface* s = LoadKeyedSurface("x.bmp", &loadWhy);
    EXPECT_EQ(s != nullptr, c.why == nullptr);
    if (c.why) {
      EXPECT_STREQ(loadWhy, c.why);
    }
    if (s) SDL_FreeSurface(s);
  }
  EXPECT_STREQ(CheckBmpHeader("nothing.bmp"), "missing");
  EXPECT_STREQ(CheckBmpHeader("img"), "unreadable");  // a folder
}

// A missing or bad atlas leaves its slot empty, the game goes on, and standard error says once
// which file and why, also across a device reset.
TEST(GraphicsTextures, UnloadableAtlasesAreReportedOnce) {
  PlatformEnableMessageBoxes(false);
  PlatformForgetReportedFiles();
  TempGameDir dir;
  g_graphicsRecorder.Clear();
  SelectGraphicsBackend(GraphicsBackendRecording);
  WriteAtlas("img/tex000.bmp", 0xFF0000FF);
  WriteBytes("img/tex001.bmp", BmpHeader(268435460, 4, 32));
  WriteBytes("img/tex002.bmp", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'});
  testing::internal::CaptureStderr();
  {
    Graphics g;
    ASSERT_EQ(g.CreateDirect3D(), 0);
    ASSERT_EQ(g.CreateDevice(nullptr, 0, 0), 0);
    EXPECT_NE(g.textures[0], nullptr);
    EXPECT_EQ(g.textures[1], nullptr);
    EXPECT_EQ(g.textures[2], nullptr);
    NoteGraphicsReset();
    EXPECT_TRUE(g.RecoverLostDevice(nullptr, 0, 0));
    EXPECT_EQ(g_graphicsRecorder.textureLoads, 6);
  }
  std::filesystem::remove("img/tex000.bmp");
  {
    Graphics g;
    ASSERT_EQ(g.CreateDirect3D(), 0);
    ASSERT_EQ(g.CreateDevice(nullptr, 0, 0), 0);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "wexla: img/tex001.bmp: too large\n"
            "wexla: img/tex002.bmp: not a BMP\n"
            "wexla: img/tex000.bmp: missing\n");
  PlatformForgetReportedFiles();
}

TEST(WindowEvents, EventsMapToTheLoopFlags) {
  g_graphicsRecorder.Clear();
  SelectGraphicsBackend(GraphicsBackendRecording);
  Graphics g;  // only to clear the pending reset through a new device
  ASSERT_EQ(g.CreateDirect3D(), 0);
  ASSERT_EQ(g.CreateDevice(nullptr, 0, 0), 0);
  struct Case {
    Uint32 type;
    Uint8 windowEvent;
    uint8_t quit, lost, active, reacquire;
    bool reset;
  } cases[] = {
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_SIZE_CHANGED, 0, 1, 1, 0, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED, 0, 1, 1, 0, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESTORED, 0, 1, 1, 0, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, 0, 0, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED, 0, 0, 1, 1, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_CLOSE, 1, 0, 1, 0, false},
      {SDL_QUIT, 0, 1, 0, 1, 0, false},
      {SDL_RENDER_TARGETS_RESET, 0, 0, 0, 1, 0, true},
      {SDL_RENDER_DEVICE_RESET, 0, 0, 0, 1, 0, true},
      {SDL_KEYDOWN, 0, 0, 0, 1, 0, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_EXPOSED, 0, 0, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << "/" << int(c.windowEvent));
    g_quitRequested = 0;
    g_deviceLost = 0;
    g_appActive = 1;
    g_padReacquire = 0;
    ASSERT_EQ(g.RecoverLostDevice(nullptr, 0, 0), true);
    SDL_Event e{};
    e.type = c.type;
    e.window.event = c.windowEvent;
    if (c.windowEvent == SDL_WINDOWEVENT_FOCUS_GAINED) g_appActive = 0;
    HandleWindowEvent(e);
    EXPECT_EQ(g_quitRequested, c.quit);
    EXPECT_EQ(g_deviceLost, c.lost);
    EXPECT_EQ(g_appActive, c.active);
    EXPECT_EQ(g_padReacquire, c.reacquire);
    EXPECT_EQ(GraphicsResetPending(), c.reset);
    // The cooperative level reports a pending reset to the frame.
    EXPECT_EQ(g.BeginFrame(), !c.reset);
    if (!c.reset) g.EndFrame();
  }
}

TEST(WindowEvents, WindowProcHandlesOneEventPerCall) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
  while (WindowProc()) {
  }
  g_quitRequested = 0;
  g_appActive = 1;
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&e);
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
  EXPECT_TRUE(WaitForWindowEvent(10));
  EXPECT_TRUE(WindowProc());
  EXPECT_EQ(g_appActive, 0);
  EXPECT_EQ(g_quitRequested, 0);
  EXPECT_TRUE(WindowProc());
  EXPECT_EQ(g_quitRequested, 1);
  EXPECT_FALSE(WindowProc());
  const uint32_t start = SDL_GetTicks();
  EXPECT_FALSE(WaitForWindowEvent(30));
  EXPECT_GE(SDL_GetTicks() - start, 20u);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

// ---- pixels, on the offscreen driver ----

// The parameter names SDL's render driver; "default" lets the fallbacks choose (OpenGL here).
class OffscreenGraphics : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    PlatformEnableMessageBoxes(false);
    g_rotateScreen = -1;
    SelectGraphicsBackend(GraphicsBackendOffscreen);
    // As the headless driver asks for it (no GL renderer behind the window surface either).
    if (GetParam() == "software") PreferSoftwareRenderer();
    WriteAtlas("img/tex000.bmp", 0xFFFFFFFF);
    // Atlas 1: columns alternating white and blue, and a black (transparent) 8x8 block at 0,0.
    std::vector<uint32_t> px(FrameWidth * FrameHeight);
    for (int y = 0; y < FrameHeight; ++y)
      for (int x = 0; x < FrameWidth; ++x)
        px[y * FrameWidth + x] = (x < 8 && y < 8) ? 0 : ((x & 1) ? 0x0000FF : 0xFFFFFF);
    ASSERT_TRUE(WriteBmp24("img/tex001.bmp", px.data(), FrameWidth, FrameHeight));
    g = new Graphics;
    if (g->CreateDirect3D() != 0) GTEST_SKIP() << "no offscreen video driver";
    window = CreateGameWindow(0);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(g->CreateDevice(window, 0, 0), 0);
    while (WindowProc()) {
    }
  }
  void TearDown() override {
    DestroyGameWindow();  // only hidden: the device still draws on it
    EXPECT_EQ(g_hwnd, window);
    delete g;
    DestroyGameWindow();
    EXPECT_EQ(g_hwnd, nullptr);
    SDL_ResetHint(SDL_HINT_RENDER_DRIVER);  // the next test chooses again
    SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
  }
  uint32_t Pixel(int x, int y) const { return frame[y * FrameWidth + x] & 0xFFFFFF; }
  void Read() {
    frame.assign(FrameWidth * FrameHeight, 0);
    ASSERT_TRUE(ReadFramePixels(*g, frame.data()));
  }

  TempGameDir dir;
  Graphics* g = nullptr;
  SDL_Window* window = nullptr;
  std::vector<uint32_t> frame;
};

TEST_P(OffscreenGraphics, BlendModesOnPixels) {
  // The software renderer has no ONE/ONE mode: additive takes the fallback there.
  if (GetParam() == "software") {
    EXPECT_FALSE(g->device->customBlend);
  }
  ScreenVertex q[4];
  ASSERT_TRUE(g->BeginFrame());
  g->SetBlendMode(BlendOpaque);
  Quad(q, 0, 0, 100, 100, 0x00204060);  // opaque although its alpha is 0
  g->DrawQuad(-1, q);
  g->SetBlendMode(BlendAdditive);
  Quad(q, 50, 0, 150, 100, 0x40102030);  // ONE/ONE: the alpha does not scale the source
  g->DrawQuad(-1, q);
  Quad(q, 0, 200, 100, 300, 0xFF204060);
  g->DrawQuad(-1, q);
  Quad(q, 50, 200, 150, 300, 0x01F0F0F0);  // saturates
  g->DrawQuad(-1, q);
  g->SetBlendMode(BlendAlpha);
  Quad(q, 300, 0, 400, 100, 0x80FFFFFF);
  g->DrawQuad(-1, q);
  ASSERT_TRUE(g->EndFrame());
  Read();
  EXPECT_EQ(Pixel(10, 10), 0x204060u);
  EXPECT_EQ(Pixel(75, 50), 0x306090u);
  EXPECT_EQ(Pixel(125, 50), 0x102030u);
  EXPECT_EQ(Pixel(75, 250), 0xFFFFFFu);
  EXPECT_EQ(Pixel(200, 50), 0x000000u);
  const uint32_t half = Pixel(350, 50);
  EXPECT_NEAR(int(half & 0xFF), 0x80, 1);
  EXPECT_EQ(half, (half & 0xFF) * 0x010101u);
}

TEST_P(OffscreenGraphics, TexturesKeyFiltersAndPixelCentres) {
  ScreenVertex q[4];
  ASSERT_TRUE(g->BeginFrame());
  g->SetBlendMode(BlendOpaque);
  Quad(q, 0, 0, 640, 480, 0xFFFF0000);
  g->DrawQuad(-1, q);
  g->SetBlendMode(BlendAlpha);
  g->SetFilterNone();
  // Texel centres of a full-screen quad fall on pixel centres only with the half-pixel shift.
  Quad(q, -0.5f, -0.5f, 639.5f, 479.5f, 0xFFFFFFFF);
  g->DrawQuad(1, q);
  // A filter switch must not change the quad of the same atlas queued before it.
  g->SetFilterLinear();
  Quad(q, 599.5f, 439.5f, 639.5f, 479.5f, 0xFFFFFFFF);
  g->DrawQuad(1, q);
  ASSERT_TRUE(g->EndFrame());
  Read();
  EXPECT_EQ(Pixel(3, 3), 0xFF0000u);  // keyed black shows what lies below
  for (int x = 8; x < 40; ++x) EXPECT_EQ(Pixel(x, 20), (x & 1) ? 0x0000FFu : 0xFFFFFFu) << x;
  for (int x = 560; x < 598; ++x) EXPECT_EQ(Pixel(x, 460), (x & 1) ? 0x0000FFu : 0xFFFFFFu) << x;

  const std::string shot = dir.File("shot.bmp");
  ASSERT_TRUE(SaveFrameBmp(*g, shot.c_str()));
  SDL_Surface* s = SDL_LoadBMP(shot.c_str());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->w, FrameWidth);
  EXPECT_EQ(s->h, FrameHeight);
  EXPECT_EQ(s->format->BitsPerPixel, 24);
  SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
  ASSERT_NE(c, nullptr);
  auto at = [&](int x, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(c->pixels) + y * c->pitch)[x] & 0xFFFFFF;
  };
  EXPECT_EQ(at(3, 3), 0xFF0000u);
  EXPECT_EQ(at(9, 20), 0x0000FFu);
  EXPECT_EQ(at(10, 470), 0xFFFFFFu);
  SDL_FreeSurface(c);
  SDL_FreeSurface(s);
}

// Quads are sent in one call per run of the same texture and blend mode, in drawing order: the
// later opaque quad still covers the additive one below it.
TEST_P(OffscreenGraphics, RunsOfOneStateAreOneCallInOrder) {
  ScreenVertex q[4];
  ASSERT_TRUE(g->BeginFrame());
  const long before = g->device->geometryCalls;
  g->SetBlendMode(BlendOpaque);
  for (int i = 0; i < 3; ++i) {
    Quad(q, 100.0f * i, 0, 100.0f * i + 100, 100, 0xFF102030);
    g->DrawQuad(-1, q);
  }
  g->SetBlendMode(BlendAdditive);
  Quad(q, 0, 50, 300, 150, 0xFF010101);
  g->DrawQuad(-1, q);
  g->SetBlendMode(BlendOpaque);
  Quad(q, 200, 0, 300, 200, 0xFF405060);
  g->DrawQuad(-1, q);
  ASSERT_TRUE(g->EndFrame());
  EXPECT_EQ(g->device->geometryCalls - before, 3);
  Read();
  EXPECT_EQ(Pixel(50, 20), 0x102030u);
  EXPECT_EQ(Pixel(150, 80), 0x112131u);
  EXPECT_EQ(Pixel(250, 80), 0x405060u);
  EXPECT_EQ(Pixel(150, 120), 0x010101u);
}

TEST_P(OffscreenGraphics, RenderResetIsRecovered) {
  SDL_Event e{};
  e.type = SDL_RENDER_TARGETS_RESET;
  HandleWindowEvent(e);
  EXPECT_FALSE(g->BeginFrame());
  EXPECT_TRUE(g->RecoverLostDevice(window, 0, 0));
  ASSERT_NE(g->textures[1], nullptr);
  ASSERT_TRUE(g->BeginFrame());
  ScreenVertex q[4];
  Quad(q, -0.5f, -0.5f, 639.5f, 479.5f, 0xFFFFFFFF);
  g->DrawQuad(1, q);
  ASSERT_TRUE(g->EndFrame());
  Read();
  EXPECT_EQ(Pixel(9, 20), 0x0000FFu);
}

INSTANTIATE_TEST_SUITE_P(Renderers, OffscreenGraphics, testing::Values("default", "software"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
