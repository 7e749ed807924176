// wexla-bench: how fast the game runs. Plays recorded whole games and a synthetic worst case
// through the real frame loop, headless, and prints each figure beside its budget.
//
//   wexla-bench [--quick] [--json] [--repeat N] [--draw-every N] [--games LIST] [REPLAY...]
//
// Timing is the monotonic clock; every figure is measured --repeat times and shown as the
// minimum and the median of the repeats. --quick is a smoke run of a few seconds (CI).

#include <SDL.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "frontend/ReplayData.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "player/Option.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace fs = std::filesystem;

namespace {

// ---- budgets ----
constexpr double kLogicBudgetUs = 1000;
constexpr double kDrawAcceleratedBudgetUs = 4000;
constexpr double kDrawSoftwareBudgetUs = 12000;
constexpr double kRealTimeBudget = 300;
constexpr double kStartupBudgetS = 0.3;
constexpr double kRssBudgetMb = 100;

const char* const kStepNames[FrameStepCount] = {"player",  "shots", "script", "spawners", "enemies",
                                                "bullets", "items", "effects", "logic"};

int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// ---- the frame clock and the step hook ----

// Each frame moves the game's clock by one 1/60 s tick, so pacing never waits.
uint32_t g_clockTick = 60;
uint32_t VirtualClock() { return static_cast<uint32_t>((static_cast<uint64_t>(g_clockTick) * 1000 + 59) / 60); }

int64_t g_stepMark = 0;
int64_t g_logicEnd = 0;
int64_t g_stepNs[FrameStepLogicEnd] = {};

void StepHook(int step) {
  const int64_t now = NowNs();
  if (step >= 0 && step < FrameStepLogicEnd) g_stepNs[step] += now - g_stepMark;
  if (step == FrameStepLogicEnd) g_logicEnd = now;
  g_stepMark = now;
}

// One frame through the real loop, timed: logic per step, then the drawing (renderer, device
// submission and present) as the rest of the frame.
struct FrameTimes {
  double stepUs[FrameStepCount] = {};  // the last entry: the whole logic of the frame
  double drawUs = 0;
  long geometryCalls = 0;
  long quads = 0;
};

void TimedFrame(Graphics* gfx, SoundSystem* sound, JoystickInput* joystick, GameWorld* world, FrameTimes* out) {
  std::fill(std::begin(g_stepNs), std::end(g_stepNs), 0);
  const long calls = gfx->device ? gfx->device->geometryCalls : 0;
  const long quads = gfx->device ? gfx->device->quadsSent : 0;
  ++g_clockTick;
  const int64_t start = NowNs();
  g_stepMark = start;
  g_logicEnd = start;
  RunFrame(gfx, sound, joystick, world);
  const int64_t end = NowNs();
  for (int i = 0; i < FrameStepLogicEnd; ++i) out->stepUs[i] = static_cast<double>(g_stepNs[i]) / 1000.0;
  out->stepUs[FrameStepLogicEnd] = static_cast<double>(g_logicEnd - start) / 1000.0;
  out->drawUs = static_cast<double>(end - g_logicEnd) / 1000.0;
  out->geometryCalls = (gfx->device ? gfx->device->geometryCalls : 0) - calls;
  out->quads = (gfx->device ? gfx->device->quadsSent : 0) - quads;
}

// ---- statistics ----

struct Stats {
  double median = 0, p99 = 0, max = 0;
};

Stats Summarise(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.median = v[v.size() / 2];
  s.p99 = v[std::min(v.size() - 1, static_cast<size_t>(static_cast<double>(v.size()) * 0.99))];
  s.max = v.back();
  return s;
}

// A figure over the repeats: the minimum and the median.
struct Figure {
  std::vector<double> runs;
  void Add(double v) { runs.push_back(v); }
  double Min() const { return runs.empty() ? 0 : *std::min_element(runs.begin(), runs.end()); }
  double Median() const {
    if (runs.empty()) return 0;
    std::vector<double> v = runs;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }
};

// ---- the game set-up ----

struct Options {
  bool quick = false;
  bool json = false;
  int repeat = 3;
  int drawEvery = 20;
  std::vector<std::string> games;
};

struct Renderer {
  const char* name;  // "software" or "accelerated"
  bool available = false;
  std::string driver;  // the SDL render driver it got
};

// Graphics on the offscreen driver, software or accelerated, with its hidden window.
struct Device {
  Graphics* gfx = new Graphics;
  bool ok = false;
  std::string driver;

  explicit Device(bool software) {
    SDL_ResetHint(SDL_HINT_RENDER_DRIVER);
    SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    if (software) PreferSoftwareRenderer();
    SelectGraphicsBackend(GraphicsBackendOffscreen);
    if (gfx->CreateDirect3D() != 0) return;
    if (!CreateGameWindow(0)) return;
    if (gfx->CreateDevice(g_hwnd, 0, 0) != 0) return;
    while (WindowProc()) {
    }
    SDL_RendererInfo info{};
    if (gfx->device && gfx->device->renderer && SDL_GetRendererInfo(gfx->device->renderer, &info) == 0)
      driver = info.name;
    ok = true;
  }
  ~Device() {
    DestroyGameWindow();  // only hidden while the renderer lives
    delete gfx;
    DestroyGameWindow();
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
};

SoundSystem g_sound;
JoystickInput g_joystick;

void ClearInput() {
  ReleaseAllScriptedKeys();
  std::fill(std::begin(g_inputHeld), std::end(g_inputHeld), 0);
  std::fill(std::begin(g_inputHeldFrames), std::end(g_inputHeldFrames), 0);
  std::fill(std::begin(g_gameInput), std::end(g_gameInput), 0);
  std::fill(std::begin(g_gameInputFrames), std::end(g_gameInputFrames), 0);
}

void FreshWorld(GameWorld** world) {
  delete *world;
  *world = new GameWorld();
  std::memcpy((*world)->result.entryName, "        ", 8);
  g_gameFrame = 0;
  g_sceneFrame = 0;
  g_scene = SceneTitle;
  g_stage = 1;
  g_quitRequested = 0;
  g_deviceLost = 0;
  g_replayPlayback = 0;
  g_clockTick = 60;
  g_prevFrameTime = 0;
  ClearInput();
}

// ---- whole games ----

struct GameRun {
  long frames = 0;     // game frames played (title frame to the first game-end frame)
  double wallS = 0;    // all frames, drawing suspended
  std::vector<double> step[FrameStepCount];
  std::vector<double> draw;
  std::vector<double> calls;
  std::vector<std::string> drawnFrame;  // what each drawn frame held, for the heaviest ones
  std::vector<std::string> frame;       // the same for every frame
};

std::string Describe(long n, const GameWorld* w, long quads) {
  char text[160];
  std::snprintf(text, sizeof text, "frame %ld scene %d stage %d: %d enemies, %d bullets, %d effects, %d shots, %ld quads",
                n, g_scene, g_stage, w->enemies.count, w->bullets.count, w->effects.count, w->shots.count, quads);
  return text;
}

// The heaviest entries of v, described.
std::vector<std::string> Heaviest(const std::vector<double>& v, const std::vector<std::string>& what, int k) {
  std::vector<size_t> idx(v.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  std::sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return v[a] > v[b]; });
  std::vector<std::string> out;
  for (size_t i = 0; i < idx.size() && static_cast<int>(i) < k && idx[i] < what.size(); ++i) {
    char t[64];
    std::snprintf(t, sizeof t, "%.0f us, ", v[idx[i]]);
    out.push_back(t + what[idx[i]]);
  }
  return out;
}

// Plays a replay file as a command-line replay does, up to the first frame of the game-end
// scene (the frame that writes its files). Every drawEvery-th frame is drawn (0: none).
GameRun PlayReplay(Graphics* gfx, const std::string& path, int drawEvery, long maxFrames) {
  GameRun r;
  GameWorld* world = nullptr;
  FreshWorld(&world);
  ResetCommandLineValues();
  g_cmdPlayReplay = 1;
  std::snprintf(g_replayFileArg, sizeof g_replayFileArg, "%s", path.c_str());
  const int64_t start = NowNs();
  for (long n = 1; n <= maxFrames && !g_quitRequested; ++n) {
    const bool draw = drawEvery > 0 && n % drawEvery == 0;
    SetGraphicsDrawingSuspended(!draw);
    FrameTimes t;
    TimedFrame(gfx, &g_sound, &g_joystick, world, &t);
    for (int i = 0; i < FrameStepCount; ++i) r.step[i].push_back(t.stepUs[i]);
    r.frame.push_back(Describe(n, world, t.quads));
    if (draw) {
      r.draw.push_back(t.drawUs);
      r.calls.push_back(static_cast<double>(t.geometryCalls));
      r.drawnFrame.push_back(r.frame.back());
    }
    r.frames = n;
    if (g_scene == SceneGameEnd) break;
  }
  r.wallS = static_cast<double>(NowNs() - start) / 1e9;
  SetGraphicsDrawingSuspended(false);
  ResetCommandLineValues();
  delete world;
  return r;
}

// ---- the synthetic worst case ----

uint32_t g_lcg = 12345;
float Uniform(float lo, float hi) {
  g_lcg = g_lcg * 1664525u + 1013904223u;
  return lo + (hi - lo) * static_cast<float>(g_lcg >> 8) / 16777216.0f;
}

// Bullets and effects topped up outside the timed frame, so every frame has them all.
void TopUp(GameWorld* world, int bullets, int effects) {
  static const int kTypes[] = {0, 15, 52, 3, 8, 20};
  int k = 0;
  while (world->bullets.count < bullets) {
    SpawnEnemyBullet(world, kTypes[k++ % 6], 0, Uniform(10, 350), Uniform(10, 470), Uniform(0, 360),
                     Uniform(0.2f, 1.5f), 1.0f, 1.0f);
  }
  while (world->effects.count < effects) {
    ConstructEffect(world, EffectHitSpark, Uniform(10, 350), Uniform(10, 470), Uniform(0, 360), Uniform(0.5f, 2), 60);
  }
}

struct SyntheticRun {
  std::vector<double> step[FrameStepCount];
  std::vector<double> draw;
  std::vector<double> calls;
};

// Stage 6 at the top difficulty with its last boss made at once and left to build all its
// parts, the ship invincible with twelve options shooting, then `frames` timed frames with the
// bullet list held at `bullets` and the effects at 2048.
SyntheticRun PlaySynthetic(Graphics* gfx, int bullets, int frames, bool draw, int warmup) {
  SyntheticRun r;
  GameWorld* world = nullptr;
  FreshWorld(&world);
  ResetCommandLineValues();
  g_lcg = 12345;
  g_difficulty = 7;
  g_stage = 6;
  g_scene = SceneGame;
  SetRandomState(4321, 11);
  SetGraphicsDrawingSuspended(true);
  FrameTimes t;
  Player& p = world->player;
  for (int n = 1; n <= warmup + frames; ++n) {
    if (n == 2) {
      ConstructEnemy(92, &world->enemies.head, &world->enemies.tail, &world->enemies.count, 180, -40, 90, 2);
      p.optionType = 3;
      while (p.optionCount < 12) new Option(&p.optionHead, &p.optionTail, &p.optionCount, p.x, p.y);
    }
    p.invincibleFrames = 2;
    p.lives = 5;
    ReleaseAllScriptedKeys();
    SetScriptedKeyHeld(KeyZ, true);
    SetScriptedKeyHeld((n / 60) % 2 ? KeyLeft : KeyRight, true);
    const bool timed = n > warmup;
    if (timed) TopUp(world, bullets, 2048);
    SetGraphicsDrawingSuspended(!(timed && draw));
    TimedFrame(gfx, &g_sound, &g_joystick, world, &t);
    if (!timed) continue;
    for (int i = 0; i < FrameStepCount; ++i) r.step[i].push_back(t.stepUs[i]);
    if (draw) {
      r.draw.push_back(t.drawUs);
      r.calls.push_back(static_cast<double>(t.geometryCalls));
    }
  }
  SetGraphicsDrawingSuspended(false);
  delete world;
  return r;
}

// ---- child processes: start-up and peak memory of the headless driver ----

struct ChildResult {
  bool ok = false;
  double wallS = 0;
  double maxRssMb = 0;
};

ChildResult RunChild(const std::vector<std::string>& args) {
  ChildResult c;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const int64_t start = NowNs();
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return c;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return c;
  c.wallS = static_cast<double>(NowNs() - start) / 1e9;
  c.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  c.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return c;
}

// ---- output ----

struct Row {
  std::string name;
  Figure value;
  std::string unit;
  double budget = 0;  // 0: none
  bool atMost = true;
};

class Report {
 public:
  std::vector<std::string> sections;
  std::deque<std::deque<Row>> rows;
  std::vector<std::vector<std::string>> notes;  // deques: the rows handed out stay where they are

  void Section(const std::string& s) {
    sections.push_back(s);
    rows.emplace_back();
    notes.emplace_back();
  }
  Row& Add(const std::string& name, const std::string& unit, double budget = 0, bool atMost = true) {
    rows.back().push_back(Row{name, Figure(), unit, budget, atMost});
    return rows.back().back();
  }
  static bool Meets(const Row& r) {
    if (r.budget == 0) return true;
    return r.atMost ? r.value.Min() <= r.budget : r.value.Min() >= r.budget;
  }

  void PrintTable() const {
    for (size_t s = 0; s < sections.size(); ++s) {
      std::printf("\n%s\n", sections[s].c_str());
      std::printf("  %-44s %12s %12s  %-8s %s\n", "figure", "min", "median", "unit", "budget");
      for (const Row& r : rows[s]) {
        char budget[64] = "";
        if (r.budget != 0)
          std::snprintf(budget, sizeof budget, "%s %g  %s", r.atMost ? "<=" : ">=", r.budget, Meets(r) ? "met" : "MISSED");
        std::printf("  %-44s %12.2f %12.2f  %-8s %s\n", r.name.c_str(), r.value.Min(), r.value.Median(), r.unit.c_str(),
                    budget);
      }
      for (const std::string& n : notes[s]) std::printf("  heaviest: %s\n", n.c_str());
    }
  }

  static std::string Escape(const std::string& s) {
    std::string o;
    for (char c : s) {
      if (c == '"' || c == '\\') o += '\\';
      o += c;
    }
    return o;
  }

  void PrintJson() const {
    std::printf("{\n  \"sections\": [\n");
    for (size_t s = 0; s < sections.size(); ++s) {
      std::printf("    {\"name\": \"%s\", \"figures\": [\n", Escape(sections[s]).c_str());
      for (size_t i = 0; i < rows[s].size(); ++i) {
        const Row& r = rows[s][i];
        std::printf("      {\"name\": \"%s\", \"unit\": \"%s\", \"min\": %.3f, \"median\": %.3f, \"runs\": %zu",
                    Escape(r.name).c_str(), Escape(r.unit).c_str(), r.value.Min(), r.value.Median(), r.value.runs.size());
        if (r.budget != 0)
          std::printf(", \"budget\": %g, \"budget_kind\": \"%s\", \"met\": %s", r.budget, r.atMost ? "at_most" : "at_least",
                      Meets(r) ? "true" : "false");
        std::printf("}%s\n", i + 1 < rows[s].size() ? "," : "");
      }
      std::printf("    ]}%s\n", s + 1 < sections.size() ? "," : "");
    }
    std::printf("  ]\n}\n");
  }
};

int Usage() {
  std::fprintf(stderr,
               "usage: wexla-bench [--quick] [--json] [--repeat N] [--draw-every N] [--games LIST] [REPLAY...]\n");
  return 2;
}

std::vector<std::string> ReadGameList(const std::string& list) {
  std::vector<std::string> out;
  std::vector<uint8_t> bytes;
  const char* why = nullptr;
  if (!PlatformReadWholeFile(list.c_str(), 1u << 20, &bytes, &why)) {
    std::fprintf(stderr, "wexla-bench: %s: %s\n", list.c_str(), why);
    return out;
  }
  std::istringstream f(std::string(bytes.begin(), bytes.end()));
  std::string line;
  while (std::getline(f, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    fs::path p(line);
    if (p.is_relative()) p = fs::path(list).parent_path() / p;
    out.push_back(p.string());
  }
  return out;
}

// A folder of links to the game's data, where the played games may write their files.
std::string MakeWorkDir(const std::string& gameDir) {
  char pattern[] = "/tmp/wexla-bench-XXXXXX";
  if (!mkdtemp(pattern)) return "";
  const fs::path work(pattern);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(gameDir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name == "img" || name == "se" || name == "bgm" || name == "rndtbl.dat" ||
        (name.size() == 8 && name.compare(0, 2, "st") == 0 && name.compare(4, 4, ".txt") == 0))
      fs::create_symlink(entry.path(), work / name, ec);
  }
  return work.string();
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string list = WEXLA_BENCH_GAMES;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      o.quick = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--repeat" && i + 1 < argc) {
      o.repeat = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--draw-every" && i + 1 < argc) {
      o.drawEvery = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--games" && i + 1 < argc) {
      list = argv[++i];
    } else if (!a.empty() && a[0] != '-') {
      o.games.push_back(fs::absolute(a).string());
    } else {
      return Usage();
    }
  }
  if (o.games.empty()) o.games = ReadGameList(list);
  if (o.quick) {
    o.repeat = 1;
    o.drawEvery = 50;
    if (o.games.size() > 1) o.games.resize(1);
  }
  const long maxGameFrames = o.quick ? 1200 : 200000;
  const int syntheticFrames = o.quick ? 10 : 200;
  const int warmup = o.quick ? 60 : 900;

  const std::string gameDir = ProgramFolder();
  const std::string work = MakeWorkDir(gameDir);
  if (work.empty() || chdir(work.c_str()) != 0) {
    std::fprintf(stderr, "wexla-bench: cannot make a work folder\n");
    return 1;
  }

  // The start-up and the memory of the headless driver, as separate processes.
  Report report;
  const std::string headless = gameDir + "/wexla-headless";
  report.Section("start-up and memory (wexla-headless)");
  Row& startup = report.Add("start-up to the first title frame", "s", kStartupBudgetS);
  for (int r = 0; r < (o.quick ? 1 : 5); ++r) {
    const ChildResult c = RunChild({headless, "--dir", work, "--frames", "1"});
    if (c.ok) startup.value.Add(c.wallS);
  }
  Row& rss = report.Add("peak resident memory, whole game", "MB", kRssBudgetMb);
  for (const std::string& g : o.games) {
    const ChildResult c =
        RunChild({headless, "--dir", work, "--frames", std::to_string(o.quick ? 600 : 45000), "--", g});
    if (c.ok) rss.value.Add(c.maxRssMb);
  }

  PlatformEnableMessageBoxes(false);
  PlatformSetClock(VirtualClock);
  SelectInputSource(InputSourceScripted);
  g_sound.Init(nullptr, SoundOutputNone);
  ResetCommandLineValues();
  InitGameTables();
  SetDefaultHighScores();
  if (!LoadRandomTable()) {
    std::fprintf(stderr, "wexla-bench: no rndtbl.dat in %s\n", gameDir.c_str());
    return 1;
  }
  g_frameStepHook = StepHook;

  // Whole games: logic with drawing suspended, then drawing on each renderer.
  for (const std::string& g : o.games) {
    const std::string name = fs::path(g).filename().string();
    report.Section("whole game " + name + " (logic, drawing suspended)");
    Row& frames = report.Add("frames", "frames");
    Row& wall = report.Add("wall time", "s");
    Row& speed = report.Add("multiple of real time", "x", kRealTimeBudget, false);
    Row& median = report.Add("logic per frame, median", "us");
    Row& p99 = report.Add("logic per frame, p99", "us");
    Row& heaviest = report.Add("logic per frame, max", "us");
    // The games are the same frame by frame in every repeat: a frame's least time over the
    // repeats is its cost without the machine's other work, and the heaviest of those is judged.
    Row& heaviestMin = report.Add("logic per frame, max of per-frame minimum", "us", kLogicBudgetUs);
    std::vector<double> frameMin;
    std::vector<std::string> lastFrames;
    std::vector<Row*> steps;
    for (int i = 0; i < FrameStepLogicEnd; ++i)
      steps.push_back(&report.Add(std::string("  ") + kStepNames[i] + " median", "us"));
    std::vector<Row*> stepMax;
    for (int i = 0; i < FrameStepLogicEnd; ++i)
      stepMax.push_back(&report.Add(std::string("  ") + kStepNames[i] + " max", "us"));
    Device device(true);
    if (!device.ok) {
      std::fprintf(stderr, "wexla-bench: no offscreen device\n");
      return 1;
    }
    for (int r = 0; r < o.repeat; ++r) {
      const GameRun run = PlayReplay(device.gfx, g, 0, maxGameFrames);
      frames.value.Add(static_cast<double>(run.frames));
      wall.value.Add(run.wallS);
      speed.value.Add(run.wallS > 0 ? (static_cast<double>(run.frames) / 60.0) / run.wallS : 0);
      const Stats s = Summarise(run.step[FrameStepLogicEnd]);
      median.value.Add(s.median);
      p99.value.Add(s.p99);
      heaviest.value.Add(s.max);
      const std::vector<double>& logic = run.step[FrameStepLogicEnd];
      lastFrames = run.frame;
      if (frameMin.empty()) frameMin = logic;
      for (size_t f = 0; f < frameMin.size() && f < logic.size(); ++f) frameMin[f] = std::min(frameMin[f], logic[f]);
      for (int i = 0; i < FrameStepLogicEnd; ++i) {
        const Stats st = Summarise(run.step[i]);
        steps[i]->value.Add(st.median);
        stepMax[i]->value.Add(st.max);
      }
    }
    heaviestMin.value.Add(Summarise(frameMin).max);
    if (!frameMin.empty()) report.notes.back() = Heaviest(frameMin, lastFrames, 3);
    for (bool software : {true, false}) {
      Device d(software);
      if (!d.ok || (!software && d.driver == "software")) continue;
      const std::string kind = software ? "software" : "accelerated";
      report.Section("whole game " + name + " drawn on every " + std::to_string(o.drawEvery) + "th frame, " + kind +
                     " renderer (" + d.driver + ")");
      Row& dm = report.Add("drawing per frame, median", "us");
      Row& dp = report.Add("drawing per frame, p99", "us");
      Row& dx = report.Add("drawing per frame, max", "us");
      Row& dxMin = report.Add("drawing per frame, max of per-frame minimum", "us",
                              software ? kDrawSoftwareBudgetUs : kDrawAcceleratedBudgetUs);
      Row& cm = report.Add("draw calls per frame, median", "calls");
      Row& cx = report.Add("draw calls per frame, max", "calls");
      std::vector<double> frameMin;
      for (int r = 0; r < o.repeat; ++r) {
        const GameRun run = PlayReplay(d.gfx, g, o.drawEvery, maxGameFrames);
        const Stats s = Summarise(run.draw);
        dm.value.Add(s.median);
        dp.value.Add(s.p99);
        dx.value.Add(s.max);
        if (frameMin.empty()) frameMin = run.draw;
        for (size_t f = 0; f < frameMin.size() && f < run.draw.size(); ++f)
          frameMin[f] = std::min(frameMin[f], run.draw[f]);
        if (r + 1 == o.repeat) {
          dxMin.value.Add(Summarise(frameMin).max);
          report.notes.back() = Heaviest(frameMin, run.drawnFrame, 3);
        }
        const Stats c = Summarise(run.calls);
        cm.value.Add(c.median);
        cx.value.Add(c.max);
      }
    }
  }

  // The synthetic worst case, and the logic at growing bullet counts.
  {
    report.Section("synthetic worst case: 2048 bullets, 2048 effects, 12 options, boss 92 with its parts");
    Device device(true);
    if (!device.ok) return 1;
    Row& median = report.Add("logic per frame, median", "us");
    Row& heaviest = report.Add("logic per frame, max", "us", kLogicBudgetUs);
    std::vector<Row*> steps;
    for (int i = 0; i < FrameStepLogicEnd; ++i)
      steps.push_back(&report.Add(std::string("  ") + kStepNames[i] + " median", "us"));
    for (int r = 0; r < o.repeat; ++r) {
      const SyntheticRun run = PlaySynthetic(device.gfx, 2048, syntheticFrames, false, warmup);
      const Stats s = Summarise(run.step[FrameStepLogicEnd]);
      median.value.Add(s.median);
      heaviest.value.Add(s.max);
      for (int i = 0; i < FrameStepLogicEnd; ++i) steps[i]->value.Add(Summarise(run.step[i]).median);
    }
    report.Section("logic per frame by bullet count (synthetic, median)");
    for (int bullets : {256, 512, 1024, 2048}) {
      Row& row = report.Add(std::to_string(bullets) + " bullets", "us");
      Row& bulletsOnly = report.Add(std::to_string(bullets) + " bullets, bullet step", "us");
      for (int r = 0; r < o.repeat; ++r) {
        const SyntheticRun run = PlaySynthetic(device.gfx, bullets, syntheticFrames, false, warmup);
        row.value.Add(Summarise(run.step[FrameStepLogicEnd]).median);
        bulletsOnly.value.Add(Summarise(run.step[FrameStepBullets]).median);
      }
    }
  }
  for (bool software : {true, false}) {
    Device d(software);
    if (!d.ok || (!software && d.driver == "software")) continue;
    const std::string kind = software ? "software" : "accelerated";
    report.Section("synthetic worst case drawn, " + kind + " renderer (" + d.driver + ")");
    Row& dm = report.Add("drawing per frame, median", "us");
    Row& dx = report.Add("drawing per frame, max", "us", software ? kDrawSoftwareBudgetUs : kDrawAcceleratedBudgetUs);
    Row& cm = report.Add("draw calls per frame, median", "calls");
    for (int r = 0; r < o.repeat; ++r) {
      const SyntheticRun run = PlaySynthetic(d.gfx, 2048, o.quick ? 5 : 60, true, warmup);
      const Stats s = Summarise(run.draw);
      dm.value.Add(s.median);
      dx.value.Add(s.max);
      cm.value.Add(Summarise(run.calls).median);
    }
  }

  g_frameStepHook = nullptr;
  std::error_code ec;
  fs::remove_all(work, ec);
  if (o.json) {
    report.PrintJson();
  } else {
    std::printf("wexla-bench%s: %d repeat(s); figures are the minimum and the median of the repeats\n",
                o.quick ? " --quick (smoke run, budgets not meaningful)" : "", o.repeat);
    report.PrintTable();
  }
  return 0;
}
