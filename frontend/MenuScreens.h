#pragma once
// Drawing of the title, configuration and result screens, called by the frame renderer.

class Graphics;
class GameWorld;

void DrawTitleScreen(Graphics* gfx, GameWorld* world);
void DrawConfigScreen(Graphics* gfx, GameWorld* world);
void DrawResultDialog(Graphics* gfx, GameWorld* world);
