// wexla-headless: runs the real game (start-up, every scene, the frame loop) with no display and
// no sound device, on a virtual clock, with the keys held from a script. Test tool.
//
//   wexla-headless [--dir DIR] [--keys FILE] [--frames N] [--clock MS] [--trace K] [--trace-game K]
//                  [--dump K[:LETTERS]] [--pilot] [--invincible]
//                  [--shot FRAME:FILE.bmp]... [--draw-all] [--window] [-- GAME ARGUMENTS]
//
// --window runs it as the game runs: in a real window with the renderer SDL chooses, every frame
// drawn, the sound mixed through SDL's audio device (the silent "dummy" driver unless
// SDL_AUDIODRIVER names another). After the first frame it prints "window renderer=NAME gl=GL"
// (GL: the OpenGL driver's name, empty when the renderer is not on OpenGL). The benchmark's
// windowed figures come from it.

#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/AppShell.h"
#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/Platform.h"
#include "tools/headless/KeyScript.h"
#include "tools/headless/Pilot.h"
#include "tools/headless/RendererInfo.h"
#include "tools/headless/StateDigest.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/Random.h"

namespace {

struct Driver {
  KeyScript keys;
  long frames = -1;
  long trace = 0;
  long traceGame = 0;        // --trace-game K: every K-th game frame of SceneGame
  long lastTracedGameFrame = -1;
  long dump = 0;
  bool dumpEnemies = false, dumpBullets = false, dumpPlayer = false;
  bool pilot = false;       // the pilot chooses the play keys in the game scene
  bool invincible = false;  // the ship is never hit
  bool drawAll = false;
  bool window = false;
  std::map<long, std::string> shots;
  uint32_t clockStart = 1000;
  uint32_t startTick = 0;
  long run = 0;  // frames started so far
  uint64_t now = 0;      // the last time read, unwrapped
  long nowRun = -1;      // the frame it was read in
};

Driver g_driver;

// The first read of frame n is the first millisecond of the n-th tick after the start, so each
// frame moves the clock by 1000/60 ms in whole ticks and, as a rule, no frame waits. The game's
// tick number wraps (about every 19.9 hours) where this count does not; when a frame does wait,
// each further read moves the clock on by a millisecond, so the clock never stops and the wait
// ends at any start value.
uint32_t VirtualClock() {
  uint64_t planned = g_driver.clockStart;
  if (g_driver.run != 0) {
    const uint64_t tick = static_cast<uint64_t>(g_driver.startTick) + static_cast<uint64_t>(g_driver.run);
    planned = (tick * 1000 + 59) / 60;
  }
  if (g_driver.run != g_driver.nowRun) {
    g_driver.nowRun = g_driver.run;
    if (planned > g_driver.now) g_driver.now = planned;
  } else {
    g_driver.now += 1;
  }
  return static_cast<uint32_t>(g_driver.now);
}

const KeyboardKey kScriptKeys[ScriptKeyCount] = {KeyLeft, KeyRight, KeyUp, KeyDown, KeyZ, KeyX,   KeyC,
                                                 KeyV,    KeyB,     KeyN,  KeyM,    KeyEscape, KeyT, KeySpace};

// The keys the pilot chooses; the script keeps the others.
bool IsPlayKey(KeyboardKey k) {
  return k == KeyLeft || k == KeyRight || k == KeyUp || k == KeyDown || k == KeyZ || k == KeyX;
}

bool BeforeFrame(void*, long run, GameWorld* world) {
  if (g_driver.frames >= 0 && run > g_driver.frames) return false;
  g_driver.run = run;
  const unsigned held = g_driver.keys.KeysAt(run);
  const bool piloted = g_driver.pilot && g_scene == SceneGame;
  ReleaseAllScriptedKeys();
  if (piloted) HoldPilotKeys(ChoosePilotKeys(*world, true, true), true);
  for (int k = 0; k < ScriptKeyCount; ++k)
    if ((held & (1u << k)) && !(piloted && IsPlayKey(kScriptKeys[k]))) SetScriptedKeyHeld(kScriptKeys[k], true);
  if (g_driver.invincible && g_scene == SceneGame) KeepShipUnhit(world);
  const bool draw = g_driver.drawAll || g_driver.shots.count(run) != 0;
  SetGraphicsDrawingSuspended(!draw);
  return true;
}

void PrintTrace(long run, const GameWorld& w) {
  std::printf(
      "run=%ld frame=%d scene=%d sceneframe=%d stage=%d score=%d,%d rnd=%d,%d,%d "
      "lists=%d,%d,%d,%d,%d,%d digest=%016" PRIx64 "\n",
      run, g_gameFrame, g_scene, g_sceneFrame, g_stage, w.player.scoreHigh, w.player.scoreLow, g_randomSeedIndex,
      g_randomIndex, g_randomStep, w.shots.count, w.spawners.count, w.enemies.count, w.bullets.count,
      w.items.count, w.effects.count, StateDigest(w));
  std::fflush(stdout);
}

// One line per object, in list order, floats with 4 decimals. Reads only.
void PrintDump(long run, const GameWorld& w) {
  if (g_driver.dumpEnemies) {
    for (const Enemy* e = w.enemies.head; e; e = e->next)
      std::printf("enemy run=%ld type=%d phase=%d pf=%d hp=%d dying=%d x=%.4f y=%.4f\n", run, e->type, e->phase,
                  e->phaseFrames, e->hp, e->dyingCounter != 0 ? 1 : 0, e->x, e->y);
  }
  if (g_driver.dumpBullets) {
    for (const EnemyBullet* b = w.bullets.head; b; b = b->next)
      std::printf("bullet run=%ld kind=%d type=%d age=%d x=%.4f y=%.4f angle=%.4f speed=%.4f stretch=%.4f\n", run,
                  b->kind, b->type, b->age, b->x, b->y, b->direction, b->speed, b->stretch);
  }
  if (g_driver.dumpPlayer) {
    const Player& p = w.player;
    std::printf("player run=%ld x=%.4f y=%.4f power=%d lives=%d bombs=%d options=%d\n", run, p.x, p.y, p.power,
                p.lives, p.bombs, p.optionCount);
  }
  std::fflush(stdout);
}

bool ParseDump(const std::string& s) {
  const size_t colon = s.find(':');
  const std::string every = s.substr(0, colon);
  char* end = nullptr;
  g_driver.dump = std::strtol(every.c_str(), &end, 10);
  if (every.empty() || *end || g_driver.dump < 1) return false;
  const std::string letters = colon == std::string::npos ? "ebp" : s.substr(colon + 1);
  if (letters.empty()) return false;
  for (char c : letters) {
    if (c == 'e') g_driver.dumpEnemies = true;
    else if (c == 'b') g_driver.dumpBullets = true;
    else if (c == 'p') g_driver.dumpPlayer = true;
    else return false;
  }
  return true;
}

void AfterFrame(void*, long run, Graphics* gfx, GameWorld* world) {
  if (g_driver.window && run == 1) {
    std::printf("window renderer=%s gl=%s\n", RendererName(*gfx).c_str(), OpenGlDriverName(*gfx).c_str());
    std::fflush(stdout);
  }
  auto shot = g_driver.shots.find(run);
  if (shot != g_driver.shots.end() && !SaveFrameBmp(*gfx, shot->second.c_str()))
    std::fprintf(stderr, "wexla-headless: could not save %s\n", shot->second.c_str());
  const bool last = g_driver.frames >= 0 && run == g_driver.frames;
  if (g_driver.trace > 0 && (run % g_driver.trace == 0 || last)) PrintTrace(run, *world);
  if (g_driver.traceGame > 0 && g_scene == SceneGame && g_gameFrame % g_driver.traceGame == 0 &&
      g_gameFrame != g_driver.lastTracedGameFrame) {
    g_driver.lastTracedGameFrame = g_gameFrame;
    PrintTrace(run, *world);
  }
  if (g_driver.dump > 0 && (run % g_driver.dump == 0 || last)) PrintDump(run, *world);
}

int Usage() {
  std::fprintf(stderr,
               "usage: wexla-headless [--dir DIR] [--keys FILE] [--frames N] [--clock MS] [--trace K]\n"
               "                      [--trace-game K] [--dump K[:LETTERS]] [--pilot] [--invincible]\n"
               "                      [--shot FRAME:FILE.bmp]... [--draw-all] [--window] [-- GAME ARGUMENTS]\n");
  return 2;
}

bool ParseLong(const char* text, long* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!text[0] || *end) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir, keysPath;
  std::vector<char*> gameArgs{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](long* out) { return i + 1 < argc && ParseLong(argv[++i], out); };
    long v = 0;
    if (a == "--") {
      for (++i; i < argc; ++i) gameArgs.push_back(argv[i]);
    } else if (a == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (a == "--keys" && i + 1 < argc) {
      keysPath = argv[++i];
    } else if (a == "--frames") {
      if (!value(&g_driver.frames) || g_driver.frames < 0) return Usage();
    } else if (a == "--clock") {
      if (!value(&v) || v < 0 || v > 0xFFFFFFFFL) return Usage();
      g_driver.clockStart = static_cast<uint32_t>(v);
    } else if (a == "--trace") {
      if (!value(&g_driver.trace) || g_driver.trace < 1) return Usage();
    } else if (a == "--trace-game") {
      if (!value(&g_driver.traceGame) || g_driver.traceGame < 1) return Usage();
    } else if (a == "--shot" && i + 1 < argc) {
      const std::string s = argv[++i];
      const size_t colon = s.find(':');
      if (colon == std::string::npos || !ParseLong(s.substr(0, colon).c_str(), &v) || v < 1) return Usage();
      g_driver.shots[v] = s.substr(colon + 1);
    } else if (a == "--dump") {
      if (i + 1 >= argc || !ParseDump(argv[++i])) return Usage();
    } else if (a == "--pilot") {
      g_driver.pilot = true;
    } else if (a == "--invincible") {
      g_driver.invincible = true;
    } else if (a == "--draw-all") {
      g_driver.drawAll = true;
    } else if (a == "--window") {
      g_driver.window = true;
      g_driver.drawAll = true;
    } else {
      return Usage();
    }
  }
  // Shot paths are taken relative to where the driver was started, not to --dir.
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) {
    for (auto& [frame, path] : g_driver.shots)
      if (!path.empty() && path[0] != '/') path = std::string(cwd) + "/" + path;
  }
  if (!keysPath.empty()) {
    std::string error;
    if (!g_driver.keys.Load(keysPath, &error)) {
      std::fprintf(stderr, "wexla-headless: %s\n", error.c_str());
      return 2;
    }
  }
  if (!dir.empty() && chdir(dir.c_str()) != 0) {
    std::fprintf(stderr, "wexla-headless: cannot enter %s\n", dir.c_str());
    return 2;
  }
  g_driver.startTick = static_cast<uint32_t>((static_cast<uint64_t>(g_driver.clockStart) * 60) / 1000);
  PlatformSetClock(VirtualClock);
  SelectInputSource(InputSourceScripted);

  AppOptions options;
  if (g_driver.window) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  } else {
    PreferSoftwareRenderer();  // the pictures are only saved: no GL context
    options.graphics = GraphicsBackendOffscreen;
    options.sound = SoundOutputNone;
  }
  options.messageBoxes = false;
  options.hooks.beforeFrame = BeforeFrame;
  options.hooks.afterFrame = AfterFrame;
  RunApplication(static_cast<int>(gameArgs.size()), gameArgs.data(), options);
  return 0;
}
