#pragma once
// Which renderer the graphics drew with, for the benchmark's figures.

#include <string>

class Graphics;

// The name SDL gives the device's renderer ("opengl", "opengles2", "software", ...); empty
// without one.
std::string RendererName(const Graphics& gfx);

// For a renderer on OpenGL, the GL driver's own name (GL_RENDERER, as "llvmpipe (LLVM 15.0.6,
// 256 bits)"); empty otherwise. Read from the current GL context, so called while the device's
// renderer is the last one used.
std::string OpenGlDriverName(const Graphics& gfx);

// True when the pixels are filled by the CPU: SDL's software renderer, or OpenGL on one of
// Mesa's software rasterisers.
bool FillsPixelsOnCpu(const std::string& renderer, const std::string& glDriver);
