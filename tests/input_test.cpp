#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"

namespace {

std::vector<std::string> g_messages;  // "caption|text"

int RecordMessage(const char* text, const char* caption, MessageBoxStyle) {
  g_messages.push_back(std::string(caption) + "|" + text);
  return MessageBoxAnswerOk;
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectInputSource(InputSourceScripted);
    ReleaseAllScriptedKeys();
    ScriptedControllerState() = ScriptedController{};
    for (int i = 0; i < kInputCount; ++i) g_inputHeld[i] = g_inputHeldFrames[i] = 0;
    const int defaultMap[kPadButtons] = {0, 1, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int i = 0; i < kPadButtons; ++i) g_padButtonMap[i] = defaultMap[i];
    g_messages.clear();
    PlatformSetMessageHook(RecordMessage);
  }
  void TearDown() override {
    PlatformSetMessageHook(nullptr);
    ReleaseAllScriptedKeys();
    SelectInputSource(InputSourceSdl);
  }
  // One frame of keyboard only.
  void Frame() {
    PadArray pad = {};
    PollInput(pad);
  }
};

TEST_F(InputTest, HeldCountsRiseWhileHeldAndDropAtOnce) {
  SetScriptedKeyHeld(KeyZ, true);
  std::vector<int> counts;
  for (int f = 0; f < 3; ++f) {
    Frame();
    counts.push_back(g_inputHeldFrames[InputShot]);
  }
  SetScriptedKeyHeld(KeyZ, false);
  Frame();
  counts.push_back(g_inputHeldFrames[InputShot]);
  EXPECT_EQ(g_inputHeld[InputShot], 0);
  SetScriptedKeyHeld(KeyZ, true);
  Frame();
  counts.push_back(g_inputHeldFrames[InputShot]);
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 0, 1}));
}

TEST_F(InputTest, EveryKeyReachesItsIndex) {
  const struct {
    KeyboardKey key;
    int index;
  } cases[] = {{KeyLeft, InputLeft},   {KeyRight, InputRight}, {KeyUp, InputUp},
               {KeyDown, InputDown},   {KeyZ, InputShot},      {KeyX, InputSlow},
               {KeyC, InputBomb},      {KeyV, InputKeyV},      {KeyB, InputKeyB},
               {KeyN, InputKeyN},      {KeyM, InputKeyM},      {KeyEscape, InputEscape}};
  for (const auto& c : cases) {
    ReleaseAllScriptedKeys();
    SetScriptedKeyHeld(c.key, true);
    Frame();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(g_inputHeld[i], i == c.index ? 1 : 0) << c.key << " " << i;
    EXPECT_EQ(g_inputHeld[14], 0);
    EXPECT_EQ(g_inputHeld[15], 0);
  }
  // T and Space are no input entries but come from the same source.
  ReleaseAllScriptedKeys();
  SetScriptedKeyHeld(KeyT, true);
  SetScriptedKeyHeld(KeySpace, true);
  Frame();
  EXPECT_TRUE(IsKeyboardKeyHeld(KeyT));
  EXPECT_TRUE(IsKeyboardKeyHeld(KeySpace));
  EXPECT_FALSE(IsKeyboardKeyHeld(KeyZ));
  for (int i = 0; i < kInputCount; ++i) EXPECT_EQ(g_inputHeld[i], 0) << i;
}

TEST_F(InputTest, AxesFromOpposingDirections) {
  SetScriptedKeyHeld(KeyLeft, true);
  SetScriptedKeyHeld(KeyRight, true);
  SetScriptedKeyHeld(KeyUp, true);
  Frame();
  EXPECT_EQ(g_inputHeld[InputLeft], 1);
  EXPECT_EQ(g_inputHeld[InputRight], 1);
  EXPECT_EQ(g_inputHeld[InputAxisX], 0);
  EXPECT_EQ(g_inputHeld[InputAxisY], -1);
  // The count formula on a -1 axis alternates -1 and 0; nothing reads it.
  EXPECT_EQ(g_inputHeldFrames[InputAxisY], -1);
  Frame();
  EXPECT_EQ(g_inputHeldFrames[InputAxisY], 0);
  SetScriptedKeyHeld(KeyUp, false);
  SetScriptedKeyHeld(KeyDown, true);
  Frame();
  EXPECT_EQ(g_inputHeld[InputAxisY], 1);
}

TEST_F(InputTest, PadDirectionsAndMappedButtonsMergeWithKeys) {
  g_padButtonMap[4] = 7;   // Escape on button 7
  g_padButtonMap[0] = 15;  // Z on the last button
  PadArray pad = {};
  pad[1] = 1;       // stick right
  pad[3] = 1;       // stick down
  pad[4 + 7] = 1;   // button 7
  pad[4 + 15] = 1;  // button 15
  pad[4 + 1] = 1;   // button 1: X by the map
  PollInput(pad);
  EXPECT_EQ(g_inputHeld[InputRight], 1);
  EXPECT_EQ(g_inputHeld[InputDown], 1);
  EXPECT_EQ(g_inputHeld[InputAxisX], 1);
  EXPECT_EQ(g_inputHeld[InputAxisY], 1);
  EXPECT_EQ(g_inputHeldFrames[InputEscape], 1);
  EXPECT_EQ(g_inputHeld[InputShot], 1);
  EXPECT_EQ(g_inputHeld[InputSlow], 1);
  EXPECT_EQ(g_inputHeld[InputBomb], 0);
  // Key and button together still count as one held entry.
  SetScriptedKeyHeld(KeyZ, true);
  PollInput(pad);
  EXPECT_EQ(g_inputHeld[InputShot], 1);
  EXPECT_EQ(g_inputHeldFrames[InputShot], 2);
}

TEST_F(InputTest, MapValuesOutsideTheButtonsReadNothingAndStayStored) {
  const int values[] = {16, 19, 27, 28, 99, -2, INT_MIN, INT_MAX};
  PadArray pad;
  for (int& e : pad) e = 1;  // every entry set: any read would show
  for (int v : values) {
    for (int k = 0; k < 7; ++k) g_padButtonMap[k] = v;
    PollInput(pad);
    for (int index : {InputShot, InputSlow, InputBomb, InputKeyV, InputEscape, InputKeyB, InputKeyN})
      EXPECT_EQ(g_inputHeld[index], 0) << v;
    for (int k = 0; k < 7; ++k) EXPECT_EQ(g_padButtonMap[k], v);
  }
  // -1 is no button either; the stick still counts.
  for (int k = 0; k < 7; ++k) g_padButtonMap[k] = -1;
  PollInput(pad);
  EXPECT_EQ(g_inputHeld[InputShot], 0);
  EXPECT_EQ(g_inputHeld[InputLeft], 1);
}

TEST_F(InputTest, KeyNamesOfTheScripts) {
  const struct {
    const char* name;
    KeyboardKey key;
  } cases[] = {{"Left", KeyLeft}, {"Right", KeyRight}, {"Up", KeyUp},   {"Down", KeyDown},
               {"Z", KeyZ},       {"X", KeyX},         {"C", KeyC},     {"V", KeyV},
               {"B", KeyB},       {"N", KeyN},         {"M", KeyM},     {"Esc", KeyEscape},
               {"T", KeyT},       {"Space", KeySpace}};
  for (const auto& c : cases) {
    KeyboardKey key = KeyboardKeyCount;
    EXPECT_TRUE(KeyboardKeyFromName(c.name, &key)) << c.name;
    EXPECT_EQ(key, c.key) << c.name;
  }
  KeyboardKey key = KeyZ;
  for (const char* bad : {"z", "Escape", "", "Spac", "A"}) EXPECT_FALSE(KeyboardKeyFromName(bad, &key)) << bad;
  EXPECT_FALSE(KeyboardKeyFromName(nullptr, &key));
  EXPECT_EQ(key, KeyZ);
}

TEST_F(InputTest, AxisScaling) {
  EXPECT_EQ(ScaleJoystickAxis(32767), 1000);
  EXPECT_EQ(ScaleJoystickAxis(-32768), -1000);
  EXPECT_EQ(ScaleJoystickAxis(0), 0);
  EXPECT_EQ(ScaleJoystickAxis(16384), 500);  // exactly half: no direction
  EXPECT_EQ(ScaleJoystickAxis(16417), 501);
  EXPECT_EQ(ScaleJoystickAxis(-16400), -500);
  EXPECT_EQ(ScaleJoystickAxis(-16417), -501);
}

TEST_F(InputTest, NoControllerGivesAnEmptyPad) {
  JoystickInput joystick;
  EXPECT_EQ(joystick.Init(nullptr), 0);
  EXPECT_FALSE(joystick.HasDevice());
  EXPECT_TRUE(g_messages.empty());
  PadArray pad;
  for (int& e : pad) e = 7;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  for (int e : pad) EXPECT_EQ(e, 0);
}

TEST_F(InputTest, ControllerAxesThresholdsAndButtons) {
  ScriptedController& script = ScriptedControllerState();
  script.attached = true;
  JoystickInput joystick;
  ASSERT_EQ(joystick.Init(nullptr), 0);
  ASSERT_TRUE(joystick.HasDevice());
  PadArray pad;
  // Not acquired yet: the first read acquires it and reads nothing.
  script.buttons[0] = true;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  EXPECT_EQ(pad[4], 0);

  const struct {
    int x, y;
    int left, right, up, down;
  } cases[] = {{500, 500, 0, 0, 0, 0},      {-500, -500, 0, 0, 0, 0}, {501, 0, 0, 1, 0, 0},
               {-501, 0, 1, 0, 0, 0},       {0, -501, 0, 0, 1, 0},    {0, 501, 0, 0, 0, 1},
               {-1000, 1000, 1, 0, 0, 1}};
  for (const auto& c : cases) {
    script.axisX = c.x;
    script.axisY = c.y;
    EXPECT_EQ(joystick.ReadPad(pad), 0);
    EXPECT_EQ(pad[0], c.left) << c.x;
    EXPECT_EQ(pad[1], c.right) << c.x;
    EXPECT_EQ(pad[2], c.up) << c.y;
    EXPECT_EQ(pad[3], c.down) << c.y;
  }
  script.axisX = script.axisY = 0;
  script.buttons[15] = true;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  EXPECT_EQ(pad[4], 1);
  EXPECT_EQ(pad[19], 1);
  for (int i = 5; i < 19; ++i) EXPECT_EQ(pad[i], 0) << i;
  for (int i = 20; i < kPadArraySize; ++i) EXPECT_EQ(pad[i], 0) << i;

  // A state read that fails reports 1 with the pad clear.
  script.readFails = true;
  EXPECT_EQ(joystick.ReadPad(pad), 1);
  for (int e : pad) EXPECT_EQ(e, 0);
  script.readFails = false;

  // A failing poll (window in the background) reads nothing; once it can be acquired again
  // the controller comes back on its own.
  script.pollFails = true;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  EXPECT_EQ(pad[4], 0);
  script.pollFails = false;
  EXPECT_EQ(joystick.ReadPad(pad), 0);  // re-acquired in this frame, read in the next
  EXPECT_EQ(pad[4], 0);
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  EXPECT_EQ(pad[4], 1);
  EXPECT_TRUE(g_messages.empty());
}

TEST_F(InputTest, AcquireBeforeTheFirstFrameReadsAtOnce) {
  ScriptedControllerState().attached = true;
  ScriptedControllerState().buttons[2] = true;
  JoystickInput joystick;
  ASSERT_EQ(joystick.Init(nullptr), 0);
  EXPECT_EQ(joystick.Acquire(), JoystickOk);
  PadArray pad;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  EXPECT_EQ(pad[4 + 2], 1);
}

TEST_F(InputTest, FailedStartShowsItsBoxAndLeavesKeyboardOnly) {
  ScriptedControllerState().attached = true;
  ScriptedControllerState().initFails = true;
  JoystickInput joystick;
  EXPECT_EQ(joystick.Init(nullptr), 1);
  EXPECT_EQ(g_messages, (std::vector<std::string>{"DirectInput Sample|Error Initializing DirectInput"}));
  EXPECT_FALSE(joystick.HasDevice());
  PadArray pad;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  for (int e : pad) EXPECT_EQ(e, 0);
}

TEST_F(InputTest, SdlSourceStartsWithoutAController) {
  SelectInputSource(InputSourceSdl);
  JoystickInput joystick;
  const int result = joystick.Init(nullptr);
  if (result == 0 && joystick.HasDevice()) GTEST_SKIP() << "a controller is attached";
  EXPECT_EQ(result, 0);
  PadArray pad;
  EXPECT_EQ(joystick.ReadPad(pad), 0);
  for (int e : pad) EXPECT_EQ(e, 0);
  // The real keyboard reads released keys without a window.
  EXPECT_FALSE(IsKeyboardKeyHeld(KeyZ));
}

}  // namespace
