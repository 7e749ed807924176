#include "tests/fuzz/FuzzSession.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/Menus.h"
#include "frontend/ReplayData.h"
#include "frontend/ResultScreen.h"
#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace fs = std::filesystem;

namespace fuzz {
namespace {

std::string g_folder;
std::map<std::string, std::vector<uint8_t>> g_kept;  // the folder's files as every run finds them
Graphics* g_gfx = nullptr;
SoundSystem* g_sound = nullptr;
JoystickInput* g_joystick = nullptr;
GameWorld* g_world = nullptr;
uint32_t g_clock = 0;

// Moves on by one millisecond at every read, so the pacing loop finds its tick at once.
uint32_t TickingClock() { return g_clock++; }

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void RemoveFolder() {
  std::error_code ec;
  if (!g_folder.empty()) fs::remove_all(g_folder, ec);
}

const KeyboardKey kKeyBits[8] = {KeyLeft, KeyRight, KeyUp, KeyDown, KeyZ, KeyX, KeyC, KeyEscape};

// A live game's keys: shot held, a weave left and right with slow stretches, a bomb every 150.
uint8_t PatternKeys(int frame) {
  uint8_t k = 1u << 4;
  const int phase = (frame / 24) % 4;
  if (phase == 0) k |= 1u << 0;
  if (phase == 2) k |= 1u << 1;
  if ((frame / 60) % 3 == 1) k |= 1u << 5;
  if (frame % 150 == 100) k |= 1u << 6;
  return k;
}

// The devices of one program run: made anew for every input, so none keeps the previous
// input's track, bound texture, blend state or lost-device flag.
void CreateDevices() {
  g_graphicsRecorder = GraphicsRecorder{};
  g_gfx = new Graphics();
  if (g_gfx->CreateDirect3D() != 0 || g_gfx->CreateDevice(nullptr, 0, 0) != 0) std::abort();
  g_sound = new SoundSystem();
  g_sound->Init(nullptr, SoundOutputNone);
  g_joystick = new JoystickInput();
}

void DestroyDevices() {
  delete g_joystick;
  g_joystick = nullptr;
  delete g_sound;
  g_sound = nullptr;
  delete g_gfx;
  g_gfx = nullptr;
  g_graphicsRecorder = GraphicsRecorder{};
}

// Every global of play as a freshly started program holds it, before its start-up steps run:
// an input's run then depends on that input alone, so a kept finding reproduces by itself.
void ResetProgramGlobals() {
  g_scene = SceneTitle;
  g_stage = 1;
  g_difficulty = 4;
  g_targetFps = 60;
  g_resultRank = -1;
  for (int* count : {&g_gameFrame, &g_sceneFrame, &g_fpsMeasured, &g_framesThisSecond, &g_menuCursor,
                     &g_replayKey1, &g_replayKey2, &g_resultTextLength, &g_resultTimer, &g_hitErrorFlags,
                     &g_randomIndex, &g_randomStep, &g_randomSeedIndex})
    *count = 0;
  g_frameTime = g_prevFrameTime = 0;
  g_bulletSpeedBase = 0.0f;
  g_textCursorX = 6.0f;
  g_textCursorY = 9.5f;
  for (uint8_t* flag : {&g_quitRequested, &g_deviceLost, &g_padReacquire, &g_replayPlayback}) *flag = 0;
  g_appActive = 1;
  ReleaseAllScriptedKeys();
  ScriptedControllerState() = ScriptedController{};
  std::memset(g_inputHeld, 0, sizeof g_inputHeld);
  std::memset(g_inputHeldFrames, 0, sizeof g_inputHeldFrames);
  std::memset(g_gameInput, 0, sizeof g_gameInput);
  std::memset(g_gameInputFrames, 0, sizeof g_gameInputFrames);
  ResetSoundRequests();
  SetGraphicsDrawingSuspended(false);
}

}  // namespace

void InitOnce() {
  if (!g_folder.empty()) return;
  char pattern[] = "/tmp/wexla_fuzz_XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  g_folder = pattern;
  std::atexit(RemoveFolder);
  const fs::path game(WEXLA_GAME_DIR);
  for (const auto& entry : fs::directory_iterator(game)) {
    const std::string name = entry.path().filename().string();
    if (name == "rndtbl.dat" || (name.rfind("st", 0) == 0 && entry.path().extension() == ".txt"))
      g_kept[name] = ReadAll(entry.path());
  }
  if (g_kept.count("rndtbl.dat") == 0) std::abort();  // the fuzz build makes the game data first
  if (chdir(g_folder.c_str()) != 0) std::abort();

  PlatformEnableMessageBoxes(false);
  PlatformSetClock(TickingClock);
  SelectInputSource(InputSourceScripted);
  SelectGraphicsBackend(GraphicsBackendRecording);

  // The settings files as a first start-up creates them.
  RestoreFolder();
  ResetCommandLineValues();
  LoadOrCreateConfigFile();
  LoadOrCreateHighScoreFile();
  g_kept["config.dat"] = ReadAll("config.dat");
  g_kept["hiscore.dat"] = ReadAll("hiscore.dat");
}

const std::string& Folder() { return g_folder; }

void PutFile(const char* name, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(name, "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void DropFile(const char* name) { std::remove(name); }

void RestoreFolder() {
  // A command-line replay path moves the current directory to the program's folder.
  if (chdir(g_folder.c_str()) != 0) std::abort();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(g_folder)) {
    if (g_kept.count(entry.path().filename().string()) == 0) fs::remove_all(entry.path(), ec);
  }
  for (const auto& [name, bytes] : g_kept) PutFile(name.c_str(), bytes.data(), bytes.size());
}

bool StartUp(const char* commandTail) {
  delete g_world;
  g_world = nullptr;
  DestroyDevices();
  ResetProgramGlobals();
  ResetCommandLineValues();
  if (!ParseCommandLine(commandTail)) return false;
  // A quoted replay path moves to the program's folder; this folder stands in for it.
  if (chdir(g_folder.c_str()) != 0) std::abort();
  LoadOrCreateConfigFile();
  LoadOrCreateHighScoreFile();
  ApplySettingsPrecedence();
  CreateDevices();
  g_clock = 1000;
  if (!LoadRandomTable()) return false;
  InitGameTables();
  g_world = new GameWorld();
  g_gameFrame = 0;
  std::memcpy(g_world->result.entryName, "        ", 8);
  return true;
}

void PlayFrames(int frames, const uint8_t* keys, size_t keyCount) {
  for (int f = 0; f < frames && !g_quitRequested && g_scene != SceneQuit; ++f) {
    const size_t slot = static_cast<size_t>(f / 4);
    const uint8_t held = slot < keyCount ? keys[slot] : PatternKeys(f);
    for (int b = 0; b < 8; ++b) SetScriptedKeyHeld(kKeyBits[b], (held >> b) & 1);
    // Every 8th frame is drawn: the renderer reads what the readers gave (names, counts,
    // positions) too, and the state of play is the same either way.
    SetGraphicsDrawingSuspended(f % 8 != 0);
    RunFrame(g_gfx, g_sound, g_joystick, g_world);
    g_graphicsRecorder.calls.clear();
  }
  SetGraphicsDrawingSuspended(false);
}

GameWorld* World() { return g_world; }

void ShutDown() {
  delete g_world;
  g_world = nullptr;
  DestroyDevices();
  ResetProgramGlobals();
  RestoreFolder();
}

}  // namespace fuzz
