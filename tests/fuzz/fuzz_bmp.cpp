// BMP files: the atlas loader (colour key, then stretched to 640x480 when it is another size).

#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "tests/fuzz/FuzzSession.h"

namespace {

Graphics* g_gfx = nullptr;

int64_t Le(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return bytes == 2 ? static_cast<int64_t>(v) : static_cast<int64_t>(static_cast<int32_t>(v));
}

// SDL's reader allocates the picture its header declares before it reads a pixel; a header that
// declares more than 16 million pixels only measures the machine's memory (SDL fails cleanly
// when the allocation does), so such inputs are left out.
bool DeclaresHugePicture(const uint8_t* data, size_t size) {
  if (size < 26) return false;
  const bool core = Le(data + 14, 4) == 12;  // the old 12-byte header has 16-bit sizes
  const int64_t w = core ? Le(data + 18, 2) : Le(data + 18, 4);
  const int64_t h = core ? Le(data + 20, 2) : Le(data + 22, 4);
  return (w < 0 ? -w : w) * (h < 0 ? -h : h) > (int64_t{1} << 24);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  g_gfx = new Graphics();
  if (g_gfx->CreateDirect3D() != 0 || g_gfx->CreateDevice(nullptr, 0, 0) != 0) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (DeclaresHugePicture(data, size)) return 0;
  fuzz::PutFile("fuzz.bmp", data, size);
  if (SDL_Surface* s = LoadKeyedSurface("fuzz.bmp")) SDL_FreeSurface(s);
  ReleaseGraphicsTexture(LoadGraphicsTexture(g_gfx->device, "fuzz.bmp"));
  fuzz::DropFile("fuzz.bmp");
  return 0;
}
