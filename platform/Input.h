#pragma once
// The game's input entries: live keys and buttons per frame, the game's copy of them, and the
// keyboard source they are read from (the real SDL keyboard or a script set by tests and the
// headless driver).

#include <cstdint>

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

constexpr int kInputCount = 16;    // entries 14 and 15 are never written and stay 0
constexpr int kPadArraySize = 32;  // 0..3 stick directions, 4..19 buttons 0..15, 20..31 always 0
constexpr int kPadButtons = 16;

// Controller state of one frame, rebuilt by JoystickInput::ReadPad.
using PadArray = int[kPadArraySize];

extern int g_inputHeld[kInputCount];
extern int g_inputHeldFrames[kInputCount];
extern int g_gameInput[kInputCount];
extern int g_gameInputFrames[kInputCount];
// Controller button (0..15) per function, -1 for none: entries 0..6 are Z, X, C, V, Escape, B, N.
// Values outside 0..15 (a damaged file, a /j switch) are kept as they are but read no button.
extern int g_padButtonMap[kPadButtons];

// Fills g_inputHeld and g_inputHeldFrames from the keyboard and the frame's pad.
void PollInput(const PadArray& pad);
// The same without the controller; the game does not call it.
void PollKeyboard();

// Keys the game reads. T and Space are read straight from the keyboard by two game rules.
enum KeyboardKey {
  KeyLeft,
  KeyRight,
  KeyUp,
  KeyDown,
  KeyZ,
  KeyX,
  KeyC,
  KeyV,
  KeyB,
  KeyN,
  KeyM,
  KeyEscape,
  KeyT,
  KeySpace,
  KeyboardKeyCount,
};

// Where keys and the controller come from; chosen once at start-up.
enum InputSource {
  InputSourceSdl,       // SDL's keyboard state (after the event pump) and SDL joysticks
  InputSourceScripted,  // keys and controller set through the functions below
};
void SelectInputSource(InputSource source);
InputSource CurrentInputSource();

bool IsKeyboardKeyHeld(KeyboardKey key);

// Scripted keyboard: a key stays held until released.
void SetScriptedKeyHeld(KeyboardKey key, bool held);
void ReleaseAllScriptedKeys();
// Key names of the headless driver's scripts: Left Right Up Down Z X C V B N M Esc T Space.
// Returns false for an unknown name.
bool KeyboardKeyFromName(const char* name, KeyboardKey* key);

// Scripted controller, read by JoystickInput when the scripted source is selected.
struct ScriptedController {
  bool attached = false;   // a controller is found at start-up
  bool initFails = false;  // the controller layer cannot start
  bool pollFails = false;  // polling fails (as while the window is in the background)
  bool readFails = false;  // reading the device state fails
  int axisX = 0;           // already in the range -1000..1000
  int axisY = 0;
  bool buttons[kPadButtons] = {};
};
ScriptedController& ScriptedControllerState();
