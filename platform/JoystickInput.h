#pragma once
// The controller layer: the first attached game controller, read once per frame into a PadArray.
// With no controller (or when the layer cannot start) the game is keyboard-only.

#include <SDL.h>

#include "platform/Input.h"

// Result codes of the controller operations.
enum JoystickResult {
  JoystickOk = 0,
  JoystickFailed = 1,
};

constexpr int kJoystickAxisRange = 1000;  // every axis reads -1000..1000
constexpr int kJoystickThreshold = 500;   // a direction needs more than half a deflection

// Scales an SDL axis value (-32768..32767) to -1000..1000.
int ScaleJoystickAxis(int raw);

class JoystickInput {
 public:
  JoystickInput();
  ~JoystickInput();
  JoystickInput(const JoystickInput&) = delete;
  JoystickInput& operator=(const JoystickInput&) = delete;

  // 0 on success (also with no controller attached); 1 after the error box, everything released.
  int Init(SDL_Window* window);
  JoystickResult CreateJoystick(SDL_Window* window);
  // Clears the pad, then fills it from the controller. 1 only when reading the state failed.
  int ReadPad(PadArray& pad);
  JoystickResult Acquire();
  // Polls and reads the device like ReadPad, dropping the state; the game does not call it.
  void UpdateInputState();
  // What the destructor does; also used after a failed Init.
  void Release();

  bool HasDevice() const { return device != nullptr || scriptedDevice; }

 private:
  struct DeviceState {
    int x = 0;
    int y = 0;
    bool buttons[kPadButtons] = {};
  };
  JoystickResult Poll();
  JoystickResult GetDeviceState(DeviceState* state);

  // The layer is started once it holds SDL's joystick subsystem; device is the opened SDL
  // joystick (scriptedDevice: the scripted one instead).
  bool directInput = false;
  SDL_Joystick* device = nullptr;
  bool scriptedDevice = false;
  bool scripted = false;  // started on the scripted source
  bool acquired = false;
  SDL_Window* window_ = nullptr;
};
