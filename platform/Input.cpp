#include "platform/Input.h"

int g_inputHeld[16] = {};
int g_inputHeldFrames[16] = {};
int g_gameInput[16] = {};
int g_gameInputFrames[16] = {};

// Until the keyboard layer reads the real device, no key is held.
bool IsKeyboardKeyHeld(int key) {
  (void)key;
  return false;
}
