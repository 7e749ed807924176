// wexla-bench: how fast the game runs. Plays recorded whole games and a synthetic worst case
// through the real frame loop, headless, times the start-up and the memory of the headless
// driver and of the game in a window, and prints each figure beside its budget.
//
//   wexla-bench [--quick] [--json] [--repeat N] [--draw-every N] [--games LIST] [REPLAY...]
//
// Timing is the monotonic clock; every figure is measured --repeat times, shown as the minimum
// and the median of the repeats and judged on the median. Everything runs from a temporary copy
// of the game folder, removed when the benchmark ends. --quick is a smoke run of a few seconds.

#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
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
#include "tools/bench/Processes.h"
#include "tools/headless/RendererInfo.h"

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

// Each frame's median over the repeats (the runs are the same game, frame by frame).
std::vector<double> PerFrameMedian(const std::vector<std::vector<double>>& runs) {
  std::vector<double> out;
  if (runs.empty()) return out;
  size_t frames = runs[0].size();
  for (const auto& r : runs) frames = std::min(frames, r.size());
  std::vector<double> at(runs.size());
  for (size_t f = 0; f < frames; ++f) {
    for (size_t r = 0; r < runs.size(); ++r) at[r] = runs[r][f];
    std::sort(at.begin(), at.end());
    out.push_back(at[at.size() / 2]);
  }
  return out;
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

// Graphics on the offscreen driver, software or accelerated, with its hidden window.
struct Device {
  Graphics* gfx = new Graphics;
  bool ok = false;
  std::string driver;    // the SDL render driver it got
  std::string glDriver;  // the OpenGL driver under it, if any

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
    driver = RendererName(*gfx);
    glDriver = OpenGlDriverName(*gfx);
    ok = true;
  }
  // "software renderer (software)", "accelerated renderer (opengl: llvmpipe ...)".
  std::string Title(bool software) const {
    return std::string(software ? "software" : "accelerated") + " renderer (" + driver +
           (glDriver.empty() ? "" : ": " + glDriver) + ")";
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
  long firstGameFrame = -1;  // index of the game's first frame (its file work), -1: none
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

// The heaviest entries of v, described, on one line.
std::string Heaviest(const std::vector<double>& v, const std::vector<std::string>& what, int k) {
  std::vector<size_t> idx;
  for (size_t i = 0; i < v.size() && i < what.size(); ++i) idx.push_back(i);
  std::sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return v[a] > v[b]; });
  std::string out;
  for (size_t i = 0; i < idx.size() && static_cast<int>(i) < k; ++i) {
    char t[64];
    std::snprintf(t, sizeof t, "%s%.0f us, ", i ? "; " : "", v[idx[i]]);
    out += t + what[idx[i]];
  }
  return out;
}

// v without its entry at `skip` (-1: all of it).
template <typename T>
std::vector<T> Without(std::vector<T> v, long skip) {
  if (skip >= 0 && skip < static_cast<long>(v.size())) v.erase(v.begin() + skip);
  return v;
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
    const int sceneBefore = g_scene;
    SetGraphicsDrawingSuspended(!draw);
    FrameTimes t;
    TimedFrame(gfx, &g_sound, &g_joystick, world, &t);
    if (r.firstGameFrame < 0 && sceneBefore != SceneGame && g_scene == SceneGame) r.firstGameFrame = n - 1;
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

// ---- output ----

struct Row {
  std::string name;
  Figure value;
  std::string unit;
  double budget = 0;  // 0: none
  bool atMost = true;
  std::string note;  // why it is what it is, where that is known
};

struct LoadAverage {
  bool ok = false;
  double minutes[3] = {};  // over 1, 5 and 15 minutes
};

LoadAverage ReadLoadAverage() {
  LoadAverage l;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    l.ok = std::fscanf(f, "%lf %lf %lf", &l.minutes[0], &l.minutes[1], &l.minutes[2]) == 3;
    std::fclose(f);
  }
  return l;
}

std::string Escape(const std::string& s) {
  std::string o;
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      o += '\\';
      o += ch;
    } else if (c < 0x20) {
      char u[8];
      std::snprintf(u, sizeof u, "\\u%04x", c);
      o += u;
    } else {
      o += ch;
    }
  }
  return o;
}

class Report {
 public:
  std::vector<std::string> sections;
  std::deque<std::deque<Row>> rows;  // deques: the rows handed out stay where they are
  std::vector<std::vector<std::string>> notes;
  LoadAverage loadStart, loadEnd;
  long processors = 0;
  int repeat = 0;
  bool quick = false;

  void Section(const std::string& s) {
    sections.push_back(s);
    rows.emplace_back();
    notes.emplace_back();
  }
  Row& Add(const std::string& name, const std::string& unit, double budget = 0, bool atMost = true) {
    rows.back().push_back(Row{name, Figure(), unit, budget, atMost, ""});
    return rows.back().back();
  }
  void Note(const std::string& line) { notes.back().push_back(line); }
  // Judged on the median of the repeats.
  static bool Meets(const Row& r) {
    if (r.budget == 0) return true;
    return r.atMost ? r.value.Median() <= r.budget : r.value.Median() >= r.budget;
  }
  static bool Judged(const Row& r) { return r.budget != 0 && !r.value.runs.empty(); }

  std::string Machine() const {
    auto load = [](const LoadAverage& l) {
      char t[64] = "unknown";
      if (l.ok) std::snprintf(t, sizeof t, "%.2f %.2f %.2f", l.minutes[0], l.minutes[1], l.minutes[2]);
      return std::string(t);
    };
    return std::to_string(processors) + " processors; load average (1, 5, 15 min) " + load(loadStart) +
           " at the start, " + load(loadEnd) + " at the end";
  }

  void PrintTable() const {
    std::printf("wexla-bench%s: %d repeat(s); each figure is the minimum and the median of the repeats, "
                "judged on the median\n",
                quick ? " --quick (smoke run, budgets not meaningful)" : "", repeat);
    std::printf("machine: %s\n", Machine().c_str());
    for (size_t s = 0; s < sections.size(); ++s) {
      std::printf("\n%s\n", sections[s].c_str());
      if (!rows[s].empty())
        std::printf("  %-52s %12s %12s  %-7s %s\n", "figure", "min", "median", "unit", "budget (median)");
      for (const Row& r : rows[s]) {
        std::string budget;
        if (r.budget != 0) {
          char t[64];
          std::snprintf(t, sizeof t, "%s %g  %s", r.atMost ? "<=" : ">=", r.budget,
                        !Judged(r) ? "no figure" : Meets(r) ? "met" : "MISSED");
          budget = t;
        }
        if (!r.note.empty()) budget += (budget.empty() ? "" : ": ") + r.note;
        if (r.value.runs.empty())
          std::printf("  %-52s %12s %12s  %-7s %s\n", r.name.c_str(), "-", "-", r.unit.c_str(), budget.c_str());
        else
          std::printf("  %-52s %12.2f %12.2f  %-7s %s\n", r.name.c_str(), r.value.Min(), r.value.Median(),
                      r.unit.c_str(), budget.c_str());
      }
      for (const std::string& n : notes[s]) std::printf("  %s\n", n.c_str());
    }
    std::printf("\nmachine: %s\n", Machine().c_str());
  }

  void PrintJson() const {
    auto load = [](const LoadAverage& l) {
      if (!l.ok) return std::string("null");
      char t[64];
      std::snprintf(t, sizeof t, "[%.2f, %.2f, %.2f]", l.minutes[0], l.minutes[1], l.minutes[2]);
      return std::string(t);
    };
    std::printf("{\n  \"repeat\": %d, \"quick\": %s, \"judged_on\": \"median\",\n", repeat, quick ? "true" : "false");
    std::printf("  \"machine\": {\"processors\": %ld, \"load_average_start\": %s, \"load_average_end\": %s},\n",
                processors, load(loadStart).c_str(), load(loadEnd).c_str());
    std::printf("  \"sections\": [\n");
    for (size_t s = 0; s < sections.size(); ++s) {
      std::printf("    {\"name\": \"%s\", \"figures\": [\n", Escape(sections[s]).c_str());
      for (size_t i = 0; i < rows[s].size(); ++i) {
        const Row& r = rows[s][i];
        std::printf("      {\"name\": \"%s\", \"unit\": \"%s\", \"min\": %.3f, \"median\": %.3f, \"runs\": %zu",
                    Escape(r.name).c_str(), Escape(r.unit).c_str(), r.value.Min(), r.value.Median(), r.value.runs.size());
        if (Judged(r))
          std::printf(", \"budget\": %g, \"budget_kind\": \"%s\", \"met\": %s", r.budget, r.atMost ? "at_most" : "at_least",
                      Meets(r) ? "true" : "false");
        if (!r.note.empty()) std::printf(", \"note\": \"%s\"", Escape(r.note).c_str());
        std::printf("}%s\n", i + 1 < rows[s].size() ? "," : "");
      }
      std::printf("    ], \"notes\": [");
      for (size_t n = 0; n < notes[s].size(); ++n)
        std::printf("%s\"%s\"", n ? ", " : "", Escape(notes[s][n]).c_str());
      std::printf("]}%s\n", s + 1 < sections.size() ? "," : "");
    }
    std::printf("  ]\n}\n");
  }
};

// "Mesa's software OpenGL (llvmpipe ...)" or "the OpenGL driver (NAME)".
std::string OpenGlDriverText(const std::string& gl) {
  if (gl.empty()) return "the OpenGL driver";
  return (FillsPixelsOnCpu("", gl) ? "Mesa's software OpenGL (" : "the OpenGL driver (") + gl + ")";
}

// One line where a drawing budget is missed because the pixels are filled on the CPU.
void NoteCpuDrawing(Report* report, const Row& judged, const Device& d) {
  if (!Report::Judged(judged) || Report::Meets(judged) || !FillsPixelsOnCpu(d.driver, d.glDriver)) return;
  report->Note("missed: " + (d.driver == "software" ? std::string("SDL's software renderer") : OpenGlDriverText(d.glDriver)) +
               " fills the pixels on the CPU");
}

// A heaviest frame over its budget in most repeats, where no one frame is that heavy in most of
// them: single frames were held up by the machine's other work. The row says so.
void NoteScatteredMax(Row* heaviest, const std::vector<double>& perFrameMedian) {
  if (!Report::Judged(*heaviest) || Report::Meets(*heaviest) || perFrameMedian.empty()) return;
  const double most = *std::max_element(perFrameMedian.begin(), perFrameMedian.end());
  if (most > heaviest->budget) return;
  char t[160];
  std::snprintf(t, sizeof t, "no frame is that heavy in most repeats (at most %.0f %s): other work held single frames up",
                most, heaviest->unit.c_str());
  heaviest->note = t;
}

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

// ---- the headless driver and the game in a window, as processes ----

constexpr double kChildTimeoutS = 300;

void MeasureHeadless(Report* report, const Options& o, const std::string& work) {
  const std::string driver = work + "/wexla-headless";
  const std::vector<std::string> env = EnvironmentWith({});
  report->Section("start-up and memory, headless (wexla-headless: no window, no sound device)");
  Row& startup = report->Add("start-up to the first title frame, headless", "s", kStartupBudgetS);
  std::string failed;
  for (int r = 0; r < (o.quick ? o.repeat : std::max(5, o.repeat)); ++r) {
    const ChildResult c =
        RunChild({driver, "--dir", work, "--frames", "1", "--trace", "1"}, env, kChildTimeoutS, work + "/headless.err");
    if (c.ok && c.firstLineS > 0) startup.value.Add(c.firstLineS);
    else failed = c.error;
  }
  // Each repeat: the most any of the games needs.
  Row& rss = report->Add("peak resident memory over a whole game, headless", "MB", kRssBudgetMb);
  for (int r = 0; r < o.repeat; ++r) {
    double most = 0;
    bool ok = true;
    for (const std::string& g : o.games) {
      const ChildResult c = RunChild({driver, "--dir", work, "--frames", std::to_string(o.quick ? 600 : 45000), "--", g},
                                     env, kChildTimeoutS, work + "/headless.err");
      ok = ok && c.ok;
      if (!c.ok) failed = c.error;
      most = std::max(most, c.maxRssMb);
    }
    if (ok) rss.value.Add(most);
  }
  if (!failed.empty()) report->Note("a run of the driver failed: " + failed);
}

struct WindowedRuns {
  Row* startup = nullptr;
  Row* rss = nullptr;
  std::string renderer, gl;
};

// The game as it runs for a player: the driver in a real window, from its title into a game the
// pilot plays, `frames` frames drawn; `changes` to its environment choose the renderer.
WindowedRuns MeasureWindow(Report* report, const Options& o, const std::string& work, const XDisplay& display,
                           const std::vector<std::string>& changes, long frames, std::string* failed) {
  std::vector<std::string> all = {"DISPLAY=" + display.name, "SDL_AUDIODRIVER=dummy"};
  if (display.started) {
    all.push_back("SDL_VIDEODRIVER=x11");
    all.push_back("WAYLAND_DISPLAY");
  }
  all.insert(all.end(), changes.begin(), changes.end());
  const std::vector<std::string> env = EnvironmentWith(all);
  WindowedRuns w;
  Row& startup = report->Add("", "s", kStartupBudgetS);
  Row& rss = report->Add("", "MB", kRssBudgetMb);
  w.startup = &startup;
  w.rss = &rss;
  for (int r = 0; r < o.repeat; ++r) {
    const ChildResult c = RunChild({work + "/wexla-headless", "--window", "--dir", work, "--keys", work + "/window.keys",
                                    "--frames", std::to_string(frames), "--pilot", "--invincible"},
                                   env, kChildTimeoutS, work + "/window.err");
    const std::string& line = c.firstLine;
    const size_t name = line.find("renderer="), gl = line.find(" gl=");
    if (!c.ok || line.compare(0, 7, "window ") != 0 || name == std::string::npos || gl == std::string::npos) {
      *failed = c.ok ? "it did not say which renderer it drew with" : c.error;
      continue;
    }
    w.renderer = line.substr(name + 9, gl - name - 9);
    w.gl = line.substr(gl + 4);
    startup.value.Add(c.firstLineS);
    rss.value.Add(c.maxRssMb);
  }
  const std::string what = w.renderer.empty() ? std::string("renderer unknown") : w.renderer;
  startup.name = "start-up to the first title frame, window, " + what;
  rss.name = "peak resident memory, " + std::to_string(frames) + " frames, window, " + what;
  return w;
}

// Where the game in a window misses a budget that it meets with SDL's software renderer, the
// OpenGL driver takes the difference: the row says so.
void NoteOpenGlCost(Row* chosen, const Row& software, const std::string& gl, const char* unit, int decimals) {
  if (!Report::Judged(*chosen) || Report::Meets(*chosen) || !Report::Judged(software) || !Report::Meets(software))
    return;
  const std::string driver = OpenGlDriverText(gl);
  char t[256];
  std::snprintf(t, sizeof t, "%s holds about %.*f %s of it; with SDL's software renderer: %.*f %s", driver.c_str(), decimals,
                chosen->value.Median() - software.value.Median(), unit, decimals, software.value.Median(), unit);
  chosen->note = t;
}

void MeasureWindowed(Report* report, const Options& o, const std::string& work) {
  const long frames = o.quick ? 60 : 300;
  XDisplay display = OpenXDisplay();
  if (display.name.empty()) {
    report->Section("start-up and memory in a window");
    report->Note("not measured: " + display.why);
    return;
  }
  report->Section("start-up and memory in a window (wexla-headless --window on display " + display.name +
                  (display.started ? ", an Xvfb the benchmark started" : "") + ")");
  {
    std::ofstream keys(work + "/window.keys");
    keys << "1 -\n60 Z\n62 -\n";  // GAME START, then the pilot plays
  }
  std::string failed;
  WindowedRuns chosen = MeasureWindow(report, o, work, display, {}, frames, &failed);
  if (chosen.renderer != "software" && !chosen.renderer.empty()) {
    const WindowedRuns software =
        MeasureWindow(report, o, work, display, {"SDL_RENDER_DRIVER=software", "SDL_FRAMEBUFFER_ACCELERATION=0"},
                      frames, &failed);
    NoteOpenGlCost(chosen.startup, *software.startup, chosen.gl, "s", 2);
    NoteOpenGlCost(chosen.rss, *software.rss, chosen.gl, "MB", 0);
  }
  if (!failed.empty()) report->Note("a windowed run failed: " + failed);
  CloseXDisplay(&display);
}

// ---- the measurements, in the copy of the game folder ----

int Measure(const Options& o, const std::string& gameDir, const std::string& work) {
  if (chdir(work.c_str()) != 0) {
    std::fprintf(stderr, "wexla-bench: cannot enter %s\n", work.c_str());
    return 1;
  }
  const long maxGameFrames = o.quick ? 1200 : 200000;
  const int syntheticFrames = o.quick ? 10 : 200;
  const int warmup = o.quick ? 60 : 900;

  Report report;
  report.repeat = o.repeat;
  report.quick = o.quick;
  report.processors = sysconf(_SC_NPROCESSORS_ONLN);
  report.loadStart = ReadLoadAverage();

  // The start-up and the memory of the driver, headless and in a window. The headless runs come
  // first: the first of them writes config.dat (windowed), so no first-start question waits.
  MeasureHeadless(&report, o, work);
  MeasureWindowed(&report, o, work);

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
    Row& median = report.Add("logic per frame of play, median", "us");
    Row& p99 = report.Add("logic per frame of play, p99", "us");
    Row& heaviest = report.Add("heaviest frame of play (first frame left out)", "us", kLogicBudgetUs);
    Row& first = report.Add("the game's first frame (its file work)", "us");
    std::vector<Row*> steps, stepMax;
    for (int i = 0; i < FrameStepLogicEnd; ++i)
      steps.push_back(&report.Add(std::string("  ") + kStepNames[i] + " median", "us"));
    for (int i = 0; i < FrameStepLogicEnd; ++i)
      stepMax.push_back(&report.Add(std::string("  ") + kStepNames[i] + " max", "us"));
    Device device(true);
    if (!device.ok) {
      std::fprintf(stderr, "wexla-bench: no offscreen device\n");
      return 1;
    }
    std::vector<std::vector<double>> logicRuns;
    std::vector<std::string> described;
    long firstFrame = -1;
    for (int r = 0; r < o.repeat; ++r) {
      const GameRun run = PlayReplay(device.gfx, g, 0, maxGameFrames);
      const long skip = firstFrame = run.firstGameFrame;
      frames.value.Add(static_cast<double>(run.frames));
      wall.value.Add(run.wallS);
      speed.value.Add(run.wallS > 0 ? (static_cast<double>(run.frames) / 60.0) / run.wallS : 0);
      const std::vector<double>& logic = run.step[FrameStepLogicEnd];
      const Stats s = Summarise(Without(logic, skip));
      median.value.Add(s.median);
      p99.value.Add(s.p99);
      heaviest.value.Add(s.max);
      if (skip >= 0) first.value.Add(logic[static_cast<size_t>(skip)]);
      for (int i = 0; i < FrameStepLogicEnd; ++i) {
        const Stats st = Summarise(Without(run.step[i], skip));
        steps[i]->value.Add(st.median);
        stepMax[i]->value.Add(st.max);
      }
      logicRuns.push_back(logic);
      described = run.frame;
    }
    const std::vector<double> logicMedian = Without(PerFrameMedian(logicRuns), firstFrame);
    report.Note("heaviest frames of play (each frame's median over the repeats): " +
                Heaviest(logicMedian, Without(described, firstFrame), 3));
    NoteScatteredMax(&heaviest, logicMedian);
    for (bool software : {true, false}) {
      Device d(software);
      if (!d.ok || (!software && d.driver == "software")) continue;
      report.Section("whole game " + name + " drawn on every " + std::to_string(o.drawEvery) + "th frame, " +
                     d.Title(software));
      Row& dm = report.Add("drawing per frame, median", "us");
      Row& dp = report.Add("drawing per frame, p99", "us");
      Row& dx = report.Add("drawing per frame, max", "us", software ? kDrawSoftwareBudgetUs : kDrawAcceleratedBudgetUs);
      Row& cm = report.Add("draw calls per frame, median", "calls");
      Row& cx = report.Add("draw calls per frame, max", "calls");
      std::vector<std::vector<double>> drawRuns;
      std::vector<std::string> drawn;
      for (int r = 0; r < o.repeat; ++r) {
        const GameRun run = PlayReplay(d.gfx, g, o.drawEvery, maxGameFrames);
        const Stats s = Summarise(run.draw);
        dm.value.Add(s.median);
        dp.value.Add(s.p99);
        dx.value.Add(s.max);
        const Stats c = Summarise(run.calls);
        cm.value.Add(c.median);
        cx.value.Add(c.max);
        drawRuns.push_back(run.draw);
        drawn = run.drawnFrame;
      }
      const std::vector<double> drawMedian = PerFrameMedian(drawRuns);
      report.Note("heaviest drawn frames (each frame's median over the repeats): " + Heaviest(drawMedian, drawn, 3));
      NoteScatteredMax(&dx, drawMedian);
      NoteCpuDrawing(&report, dx, d);
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
    report.Section("synthetic worst case drawn, " + d.Title(software));
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
    NoteCpuDrawing(&report, dx, d);
  }
  g_frameStepHook = nullptr;

  report.loadEnd = ReadLoadAverage();
  if (o.json)
    report.PrintJson();
  else
    report.PrintTable();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool repeatGiven = false;
  std::string list = WEXLA_BENCH_GAMES;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      o.quick = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--repeat" && i + 1 < argc) {
      o.repeat = std::max(1, std::atoi(argv[++i]));
      repeatGiven = true;
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
  if (o.games.empty()) {
    std::fprintf(stderr, "wexla-bench: no games to play in %s\n", list.c_str());
    return 1;
  }
  if (o.quick) {
    if (!repeatGiven) o.repeat = 1;
    o.drawEvery = 50;
    o.games.resize(1);
  }
  const std::string gameDir = ProgramFolder();
  const std::string work = MakeGameCopy(gameDir, {"wexla-headless"});
  if (work.empty()) {
    std::fprintf(stderr, "wexla-bench: cannot make a copy of the game folder %s\n", gameDir.c_str());
    return 1;
  }
  return RunGuarded(work, [&] { return Measure(o, gameDir, work); });
}
