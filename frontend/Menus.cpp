#include "frontend/Menus.h"

#include <cstdint>
#include <cstring>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/ReplayData.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

int g_menuCursor = 0;

namespace {

constexpr float TitlePlayerY = -96.0f;  // above the playfield while the title is shown
constexpr int MaxVolume = 10000;
constexpr int ConfigButtonRowFirst = ConfigItemAttack;
constexpr int ConfigButtonRowLast = ConfigItemBomb;

bool Pressed(int input) { return g_inputHeldFrames[input] == 1; }

int RepeatedDirection(int minus, int plus) {
  return (MenuKeyCounts(plus) ? 1 : 0) - (MenuKeyCounts(minus) ? 1 : 0);
}

void ClearInputArrays() {
  std::memset(g_inputHeld, 0, sizeof g_inputHeld);
  std::memset(g_inputHeldFrames, 0, sizeof g_inputHeldFrames);
  std::memset(g_gameInput, 0, sizeof g_gameInput);
  std::memset(g_gameInputFrames, 0, sizeof g_gameInputFrames);
}

// Live or replay game: a fresh recording from a fresh player, the playback loaded first so the
// recording's header takes the replay's start values.
void StartGame(GameWorld* world, bool playReplay) {
  g_replayKey1 = RandomInt(255) + 1;
  g_replayKey2 = RandomInt(255) + 1;
  g_replayPlayback = 0;
  world->player.ResetForNewGame();
  delete world->recorder;
  world->recorder = new ReplayData();
  if (playReplay) {
    // A bad file is silent: the game is then played live.
    LoadPlaybackReplay(world, g_cmdPlayReplay == 1 ? g_replayFileArg : "replay.dat");
  }
  BeginReplayRecording(world);
  g_sceneFrame = 0;
  g_gameFrame = 0;
  g_scene = SceneGame;
  ClearInputArrays();
}

void SetVolume(int* volume, int slot, int d) {
  const int64_t v = static_cast<int64_t>(*volume) + static_cast<int64_t>(kVolumeStep) * d;
  *volume = static_cast<int>(v < 0 ? 0 : (v > MaxVolume ? MaxVolume : v));
  g_config[slot] = *volume;
}

void ChangeConfigValue(SoundSystem* sound, int row, int d) {
  switch (row) {
    case ConfigItemBgmVolume:
      SetVolume(&g_bgmVolume, ConfigBgmVolume, d);
      if (sound) sound->ApplyBgmVolume();
      RequestSoundEffect(SeVolume);
      break;
    case ConfigItemSeVolume:
      SetVolume(&g_seVolume, ConfigSeVolume, d);
      if (sound) sound->ApplySeVolume();
      RequestSoundEffect(SeVolume);
      break;
    case ConfigItemAttack:
    case ConfigItemSlow:
    case ConfigItemBomb: {
      const int k = row - ConfigItemAttack;
      const int before = g_config[ConfigPadMap + k];
      const int button = d > 0 ? k : -1;  // right gives the function's own default button
      g_padButtonMap[k] = button;
      g_config[ConfigPadMap + k] = button;
      if (g_config[ConfigPadMap + k] != before) RequestSoundEffect(SeDecide);
      break;
    }
    case ConfigItemFullscreen:
    case ConfigItemRotate: {
      const int slot = row == ConfigItemFullscreen ? ConfigFullscreen : ConfigRotate;
      const int before = g_config[slot];
      g_config[slot] = d > 0 ? 1 : 0;
      if (g_config[slot] != before) RequestSoundEffect(SeDecide);
      break;
    }
    default:
      break;
  }
}

// A held controller button goes to the row's function; of several the highest wins.
void CaptureButton(int row, const int pad[kPadArraySize]) {
  const int k = row - ConfigItemAttack;
  const int before = g_config[ConfigPadMap + k];
  for (int b = 0; b < kCapturableButtons; ++b) {
    if (pad[4 + b] && g_config[ConfigPadMap + k] != b) {
      g_padButtonMap[k] = b;
      g_config[ConfigPadMap + k] = b;
    }
  }
  if (g_config[ConfigPadMap + k] != before) RequestSoundEffect(SeDecide);
}

}  // namespace

bool MenuKeyCounts(int input) {
  const int n = g_inputHeldFrames[input];
  return n == 1 || (n > 20 && n % 4 == 0);
}

void RunTitleMenu(SoundSystem* sound, GameWorld* world) {
  if (!world) return;
  if (g_sceneFrame < 2) {
    world->Reset();
    world->player.bombs = 0;
    world->player.shields = 0;
    world->player.lives = 0;
    world->player.y = TitlePlayerY;
    g_menuCursor = 0;
    g_stage = 1;
    g_difficulty = TitleDifficultyFromConfig();
  }

  const bool commandReplay = g_cmdPlayReplay == 1;
  if (Pressed(InputShot) || commandReplay) {
    if (!commandReplay) RequestSoundEffect(SeDecide);
    // A command-line replay starts on the first frame, where the cursor is on GAME START.
    const int item = commandReplay ? TitleItemGameStart : g_menuCursor;
    switch (item) {
      case TitleItemExit:
        g_scene = SceneQuit;
        g_sceneFrame = 0;
        return;
      case TitleItemConfig:
        if (sound) sound->PlayBgm(BgmConfig);
        g_scene = SceneConfig;
        g_sceneFrame = 0;
        return;
      case TitleItemGameStart:
        g_config[ConfigDifficulty] = g_difficulty;
        WriteConfigFile();  // failures are silent
        StartGame(world, commandReplay);
        return;
      case TitleItemReplay:
        StartGame(world, true);
        return;
      default:
        break;
    }
  }

  const int count = SelectableDifficultyCount();
  const int dd = RepeatedDirection(InputLeft, InputRight);
  if (dd != 0) {
    RequestSoundEffect(SeCursor);
    g_difficulty = PositiveModulo(g_difficulty + dd + count, count);
  }

  const int d = RepeatedDirection(InputUp, InputDown);
  if (d != 0) {
    g_menuCursor = PositiveModulo(g_menuCursor + d + kTitleItems, kTitleItems);
    if (g_menuCursor == TitleItemReplay && !PlatformFileExists("replay.dat"))
      g_menuCursor = PositiveModulo(g_menuCursor + d + kTitleItems, kTitleItems);
    RequestSoundEffect(SeCursor);
  }
}

void RunConfigMenu(SoundSystem* sound, GameWorld* world, const int pad[kPadArraySize]) {
  if (!world) return;
  if (g_sceneFrame < 2) {
    g_menuCursor = 0;
    world->Reset();
  }

  const int dr = RepeatedDirection(InputUp, InputDown);
  if (dr != 0) {
    g_menuCursor = PositiveModulo(g_menuCursor + dr + kConfigItems, kConfigItems);
    RequestSoundEffect(SeCursor);
  }

  const int dv = RepeatedDirection(InputLeft, InputRight);
  if (dv != 0) ChangeConfigValue(sound, g_menuCursor, dv);

  if (g_menuCursor >= ConfigButtonRowFirst && g_menuCursor <= ConfigButtonRowLast) CaptureButton(g_menuCursor, pad);

  if ((Pressed(InputShot) && g_menuCursor == ConfigItemExit) || Pressed(InputEscape)) {
    WriteConfigFile();  // failures are silent
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    RequestSoundEffect(SeDecide);
    if (sound) sound->PlayBgm(BgmTitle);
  }
}
