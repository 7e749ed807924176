#pragma once
// The title menu (start a game, play the last replay back, configure, leave) and the
// configuration menu (volumes, controller buttons, screen settings).

#include "platform/Input.h"

class GameWorld;
class SoundSystem;

enum TitleItem {
  TitleItemGameStart = 0,
  TitleItemReplay = 1,
  TitleItemConfig = 2,
  TitleItemExit = 3,
};
constexpr int kTitleItems = 4;

enum ConfigItem {
  ConfigItemBgmVolume = 0,
  ConfigItemSeVolume = 1,
  ConfigItemAttack = 2,
  ConfigItemSlow = 3,
  ConfigItemBomb = 4,
  ConfigItemFullscreen = 5,
  ConfigItemRotate = 6,
  ConfigItemExit = 7,
};
constexpr int kConfigItems = 8;
// Playfield y of each configuration row's line.
constexpr float kConfigRowY[kConfigItems] = {72, 90, 162, 180, 198, 306, 324, 414};

constexpr int kVolumeStep = 100;
constexpr int kCapturableButtons = 12;  // buttons 12..15 cannot be given to a function

// The selected title item or configuration row; both menus set it to 0 on entry.
extern int g_menuCursor;

// Menu key repeat on the live input: a held key acts at once, then from its 24th frame every
// 4th frame (held count 1, or above 20 and divisible by 4).
bool MenuKeyCounts(int input);

// v mod n in 0..n-1 for any sign of v (n > 0).
inline int PositiveModulo(int v, int n) {
  const int m = v % n;
  return m < 0 ? m + n : m;
}

// Logic of the title scene, once per frame; starts live and replay games.
void RunTitleMenu(SoundSystem* sound, GameWorld* world);
// Logic of the configuration scene, once per frame, with the frame's controller state (the
// PadArray of the frame: entries 4..19 are buttons 0..15).
void RunConfigMenu(SoundSystem* sound, GameWorld* world, const int pad[kPadArraySize]);
