#include "tools/headless/RendererInfo.h"

#include <SDL.h>

#include "platform/Graphics.h"

std::string RendererName(const Graphics& gfx) {
  SDL_RendererInfo info{};
  if (!gfx.device || !gfx.device->renderer || SDL_GetRendererInfo(gfx.device->renderer, &info) != 0 || !info.name)
    return std::string();
  return info.name;
}

std::string OpenGlDriverName(const Graphics& gfx) {
  if (RendererName(gfx).compare(0, 6, "opengl") != 0 || !SDL_GL_GetCurrentContext()) return std::string();
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned kGlRenderer = 0x1F01;
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  return name ? std::string(reinterpret_cast<const char*>(name)) : std::string();
}

bool FillsPixelsOnCpu(const std::string& renderer, const std::string& glDriver) {
  if (renderer == "software") return true;
  for (const char* rasteriser : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
    if (glDriver.find(rasteriser) != std::string::npos) return true;
  return false;
}
