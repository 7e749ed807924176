#include "frontend/MenuScreens.h"

// The menus draw nothing until their screens are written.
void DrawTitleScreen(Graphics*, GameWorld*) {}
void DrawConfigScreen(Graphics*, GameWorld*) {}
void DrawResultDialog(Graphics*, GameWorld*) {}
