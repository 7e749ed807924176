#pragma once
// The input entries and the four input arrays: the live state polled each frame and the game
// input as play sees it.

enum InputIndex {
  InputLeft = 0,
  InputRight = 1,
  InputUp = 2,
  InputDown = 3,
  InputShot = 4,
  InputSlow = 5,
  InputBomb = 6,
  InputKeyV = 7,
  InputKeyB = 8,
  InputKeyN = 9,
  InputKeyM = 10,
  InputEscape = 11,
  InputAxisX = 12,
  InputAxisY = 13,
};

extern int g_inputHeld[16];
extern int g_inputHeldFrames[16];
extern int g_gameInput[16];
extern int g_gameInputFrames[16];

// Whether a keyboard key is held at this moment, read straight from the keyboard (not through
// the game input, not recorded). key is an upper-case letter or digit, e.g. 'T'.
bool IsKeyboardKeyHeld(int key);
