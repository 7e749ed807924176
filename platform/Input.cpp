#include "platform/Input.h"

#include <SDL.h>

#include <cstring>

int g_inputHeld[kInputCount];
int g_inputHeldFrames[kInputCount];
int g_gameInput[kInputCount];
int g_gameInputFrames[kInputCount];
int g_padButtonMap[kPadButtons] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

namespace {

InputSource g_inputSource = InputSourceSdl;
bool g_scriptedKeys[KeyboardKeyCount] = {};
ScriptedController g_scriptedController;

struct KeyInfo {
  const char* name;
  SDL_Keycode keycode;  // by key, not by position: the keyboard layout decides which key is Z
};

const KeyInfo kKeys[KeyboardKeyCount] = {
    {"Left", SDLK_LEFT}, {"Right", SDLK_RIGHT}, {"Up", SDLK_UP}, {"Down", SDLK_DOWN},
    {"Z", SDLK_z},       {"X", SDLK_x},         {"C", SDLK_c},   {"V", SDLK_v},
    {"B", SDLK_b},       {"N", SDLK_n},         {"M", SDLK_m},   {"Esc", SDLK_ESCAPE},
    {"T", SDLK_t},       {"Space", SDLK_SPACE},
};

// The twelve keys of the input table, in index order 0..11.
const KeyboardKey kIndexKeys[12] = {KeyLeft, KeyRight, KeyUp, KeyDown, KeyZ,   KeyX,
                                    KeyC,    KeyV,     KeyB,  KeyN,    KeyM,   KeyEscape};

// Map entries 0..6 (Z, X, C, V, Escape, B, N) and the input each one also triggers.
const int kMappedInputs[7] = {InputShot, InputSlow, InputBomb, InputKeyV,
                              InputEscape, InputKeyB, InputKeyN};

void ReadKeys(int held[kInputCount]) {
  for (int i = 0; i < 12; ++i) held[i] = IsKeyboardKeyHeld(kIndexKeys[i]) ? 1 : 0;
}

void FinishPoll(int held[kInputCount]) {
  held[InputAxisX] = held[InputRight] - held[InputLeft];
  held[InputAxisY] = held[InputDown] - held[InputUp];
  for (int i = 0; i < kInputCount; ++i) g_inputHeldFrames[i] = (g_inputHeldFrames[i] + 1) * held[i];
}

}  // namespace

void SelectInputSource(InputSource source) { g_inputSource = source; }
InputSource CurrentInputSource() { return g_inputSource; }

bool IsKeyboardKeyHeld(KeyboardKey key) {
  if (key < 0 || key >= KeyboardKeyCount) return false;
  if (g_inputSource == InputSourceScripted) return g_scriptedKeys[key];
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  const SDL_Scancode code = SDL_GetScancodeFromKey(kKeys[key].keycode);
  if (!state || code <= SDL_SCANCODE_UNKNOWN || code >= count) return false;
  return state[code] != 0;
}

void SetScriptedKeyHeld(KeyboardKey key, bool held) {
  if (key >= 0 && key < KeyboardKeyCount) g_scriptedKeys[key] = held;
}

void ReleaseAllScriptedKeys() {
  for (bool& k : g_scriptedKeys) k = false;
}

bool KeyboardKeyFromName(const char* name, KeyboardKey* key) {
  if (!name) return false;
  for (int i = 0; i < KeyboardKeyCount; ++i) {
    if (std::strcmp(name, kKeys[i].name) == 0) {
      if (key) *key = static_cast<KeyboardKey>(i);
      return true;
    }
  }
  return false;
}

ScriptedController& ScriptedControllerState() { return g_scriptedController; }

void PollInput(const PadArray& pad) {
  ReadKeys(g_inputHeld);
  for (int i = 0; i < 4; ++i) g_inputHeld[i] = (g_inputHeld[i] || pad[i]) ? 1 : 0;
  for (int k = 0; k < 7; ++k) {
    const int button = g_padButtonMap[k];
    // Values outside 0..15 read no button (the pad holds only 16 buttons).
    if (button < 0 || button >= kPadButtons) continue;
    const int index = kMappedInputs[k];
    g_inputHeld[index] = (g_inputHeld[index] || pad[4 + button]) ? 1 : 0;
  }
  FinishPoll(g_inputHeld);
}

void PollKeyboard() {
  ReadKeys(g_inputHeld);
  FinishPoll(g_inputHeld);
}
