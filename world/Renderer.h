#pragma once
// The frame renderer: every frame in its fixed order of layers, blend modes and filters.

#include <cstdint>

#include "world/GameObject.h"

class Graphics;
class GameWorld;
class Item;

// Draws one whole frame from the world and the globals; called between Graphics::BeginFrame and
// Graphics::EndFrame.
void RenderFrame(Graphics* gfx, GameWorld* world);

// A quad with a coordinate that is not finite or lies beyond this is dropped: an object that a
// script placed at the largest float must not reach the rasteriser.
constexpr float QuadCoordinateLimit = 1e6f;
bool QuadIsDrawable(const ScreenVertex q[4]);

// Every quad of the renderer, the text drawer and the screens goes through here. Texture slots
// outside the three atlases draw untextured (slot -1).
void DrawCheckedQuad(Graphics* gfx, int texture, ScreenVertex q[4]);

// Any object of any list: its sprite record at its position and facing.
void DrawObjectSprite(Graphics* gfx, ScreenVertex q[4], const GameObject& obj);

// The option-name balloon beside an option item (pointer, underline and the name label).
void DrawOptionItemBalloon(Graphics* gfx, ScreenVertex q[4], const Item& item);
