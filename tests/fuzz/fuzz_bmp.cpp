// BMP files: the atlas loader (header checks, colour key, then stretched to 640x480 when it is
// another size). A header that declares a huge picture must be refused before SDL allocates it.

#include <SDL.h>

#include <cstddef>
#include <cstdint>

#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "tests/fuzz/FuzzSession.h"

namespace {

Graphics* g_gfx = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  g_gfx = new Graphics();
  if (g_gfx->CreateDirect3D() != 0 || g_gfx->CreateDevice(nullptr, 0, 0) != 0) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PutFile("fuzz.bmp", data, size);
  if (SDL_Surface* s = LoadKeyedSurface("fuzz.bmp")) SDL_FreeSurface(s);
  ReleaseGraphicsTexture(LoadGraphicsTexture(g_gfx->device, "fuzz.bmp"));
  fuzz::DropFile("fuzz.bmp");
  return 0;
}
