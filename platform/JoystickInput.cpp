#include "platform/JoystickInput.h"

#include "platform/Platform.h"

int ScaleJoystickAxis(int raw) {
  if (raw >= 0) return raw >= 32767 ? kJoystickAxisRange : raw * kJoystickAxisRange / 32767;
  return raw <= -32768 ? -kJoystickAxisRange : raw * kJoystickAxisRange / 32768;
}

JoystickInput::JoystickInput() = default;

JoystickInput::~JoystickInput() { Release(); }

void JoystickInput::Release() {
  if (device) {
    SDL_JoystickClose(device);
    device = nullptr;
  }
  scriptedDevice = false;
  acquired = false;
  if (directInput) {
    if (!scripted) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    directInput = false;
  }
  scripted = false;
  window_ = nullptr;
}

int JoystickInput::Init(SDL_Window* window) {
  if (CreateJoystick(window) != JoystickOk) {
    PlatformMessageBox("Error Initializing DirectInput", "DirectInput Sample", MessageBoxOk);
    Release();
    return 1;
  }
  return 0;
}

JoystickResult JoystickInput::CreateJoystick(SDL_Window* window) {
  window_ = window;
  if (CurrentInputSource() == InputSourceScripted) {
    const ScriptedController& script = ScriptedControllerState();
    if (script.initFails) return JoystickFailed;
    directInput = true;
    scripted = true;
    scriptedDevice = script.attached;
    return JoystickOk;
  }
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return JoystickFailed;
  directInput = true;
  // The first attached controller that opens is the one; the others are never read.
  const int count = SDL_NumJoysticks();
  for (int i = 0; i < count && !device; ++i) device = SDL_JoystickOpen(i);
  // No device: keyboard only. The axes are scaled when read. The device is acquired on the first
  // activation of the window.
  return JoystickOk;
}

JoystickResult JoystickInput::Acquire() {
  if (!HasDevice()) return JoystickFailed;
  if (scriptedDevice) {
    acquired = !ScriptedControllerState().pollFails;
  } else {
    // The controller belongs to the game only while its window has the focus.
    const bool focused = !window_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS);
    acquired = focused && SDL_JoystickGetAttached(device);
  }
  return acquired ? JoystickOk : JoystickFailed;
}

JoystickResult JoystickInput::Poll() {
  if (scriptedDevice) {
    if (ScriptedControllerState().pollFails) acquired = false;
    return acquired ? JoystickOk : JoystickFailed;
  }
  if (acquired && window_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS))
    acquired = false;
  if (acquired && !SDL_JoystickGetAttached(device)) acquired = false;
  if (!acquired) return JoystickFailed;
  SDL_JoystickUpdate();
  return JoystickOk;
}

JoystickResult JoystickInput::GetDeviceState(DeviceState* state) {
  *state = DeviceState{};
  if (scriptedDevice) {
    const ScriptedController& script = ScriptedControllerState();
    if (script.readFails) return JoystickFailed;
    state->x = script.axisX;
    state->y = script.axisY;
    for (int i = 0; i < kPadButtons; ++i) state->buttons[i] = script.buttons[i];
    return JoystickOk;
  }
  if (!SDL_JoystickGetAttached(device)) return JoystickFailed;
  state->x = ScaleJoystickAxis(SDL_JoystickGetAxis(device, 0));
  state->y = ScaleJoystickAxis(SDL_JoystickGetAxis(device, 1));
  for (int i = 0; i < kPadButtons; ++i) state->buttons[i] = SDL_JoystickGetButton(device, i) != 0;
  return JoystickOk;
}

int JoystickInput::ReadPad(PadArray& pad) {
  for (int& entry : pad) entry = 0;
  if (!HasDevice()) return 0;
  if (Poll() != JoystickOk) {
    Acquire();  // this frame reads nothing from the controller
    return 0;
  }
  DeviceState state;
  if (GetDeviceState(&state) != JoystickOk) return 1;
  pad[0] = state.x < -kJoystickThreshold;
  pad[1] = state.x > kJoystickThreshold;
  pad[2] = state.y < -kJoystickThreshold;
  pad[3] = state.y > kJoystickThreshold;
  for (int i = 0; i < kPadButtons; ++i) pad[4 + i] = state.buttons[i] ? 1 : 0;
  return 0;
}

void JoystickInput::UpdateInputState() {
  if (!HasDevice()) return;
  if (Poll() != JoystickOk) {
    Acquire();
    return;
  }
  DeviceState state;
  GetDeviceState(&state);
}
