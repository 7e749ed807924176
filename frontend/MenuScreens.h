#pragma once
// Drawing of the title, configuration and result screens, called by the frame renderer in their
// scenes. The menus draw from the globals; the world is used by the result dialog only.

class Graphics;
class GameWorld;

void DrawTitleScreen(Graphics* gfx, GameWorld* world);
void DrawConfigScreen(Graphics* gfx, GameWorld* world);
void DrawResultDialog(Graphics* gfx, GameWorld* world);
