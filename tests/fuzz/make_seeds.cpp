// Writes the seed corpora of the fuzz targets from the game's real files: the stage scripts,
// replays of short games the game records itself, the settings files a first start-up makes,
// the random table, the sound effects and pieces of the atlases.
//
//   fuzz_make_seeds OUT_DIR

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "frontend/ReplayData.h"
#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "tests/fuzz/FuzzSession.h"
#include "world/GameWorld.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Write(const fs::path& p, const std::vector<uint8_t>& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) {
    std::fprintf(stderr, "fuzz_make_seeds: cannot write %s\n", p.c_str());
    std::exit(1);
  }
}

std::vector<uint8_t> WithPrefix(uint8_t first, const std::vector<uint8_t>& rest) {
  std::vector<uint8_t> out{first};
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

// The start values a replay header can hold, written over a recorded game's header.
struct ReplayStart {
  const char* name;
  uint8_t difficulty, stage, power, shields, bombs, classLevel;
};

const ReplayStart kReplayStarts[] = {
    {"stage1_d3", 3, 1, 3, 0, 3, 0},
    {"stage2_d1", 1, 2, 8, 2, 1, 1},
    {"stage5_d7", 7, 5, 20, 5, 9, 3},
    {"stage6_d0", 0, 6, 0, 0, 0, 2},
    {"allclear_d15", 15, 7, 20, 255, 255, 3},
};

// A short live game, its recording closed as a game end closes it, saved with each set of start
// values in both forms the replay target reads: the file as saved and the plain image.
void RecordReplays(const fs::path& out) {
  if (!fuzz::StartUp("")) std::exit(1);
  fuzz::PlayFrames(900);
  GameWorld* world = fuzz::World();
  if (!world->recorder) {
    std::fprintf(stderr, "fuzz_make_seeds: no game started\n");
    std::exit(1);
  }
  CloseReplayRecording(world, g_gameFrame);
  ReplayData& r = *world->recorder;
  for (const ReplayStart& s : kReplayStarts) {
    r.header[ReplayOffsetDifficulty] = s.difficulty;
    r.header[ReplayOffsetStartStage] = s.stage;
    r.header[ReplayOffsetStartPower] = s.power;
    r.header[ReplayOffsetStartShields] = s.shields;
    r.header[ReplayOffsetStartBombs] = s.bombs;
    for (int i = 0; i < 6; ++i) r.header[ReplayOffsetClassLevels + i] = s.classLevel;
    if (!SaveReplay(world, "seed.dat")) std::exit(1);
    Write(out / "replay" / (std::string(s.name) + "_file"), WithPrefix(0, ReadAll("seed.dat")));
    std::vector<uint8_t> plain(r.header, r.header + kReplayHeaderBytes);
    for (int w = kReplayHeaderWords; w < r.index; ++w) {
      const uint32_t v = r.runBuffer[w];
      for (int b = 0; b < 4; ++b) plain.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    Write(out / "replay" / (std::string(s.name) + "_plain"), WithPrefix(1, plain));
  }
  fuzz::ShutDown();
}

// Pieces of an atlas as small 24-bit files (the whole atlas is too big to mutate well).
void AtlasPieces(const fs::path& out, const fs::path& atlas, const std::string& name) {
  SDL_Surface* s = LoadKeyedSurface(atlas.c_str());
  if (!s) {
    std::fprintf(stderr, "fuzz_make_seeds: cannot load %s\n", atlas.c_str());
    std::exit(1);
  }
  const int w = 40, h = 30;
  for (int piece = 0; piece < 2; ++piece) {
    std::vector<uint32_t> argb(static_cast<size_t>(w) * h);
    const int x0 = piece * 200, y0 = piece * 120;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        argb[static_cast<size_t>(y) * w + x] =
            static_cast<const uint32_t*>(s->pixels)[static_cast<size_t>(y0 + y) * (s->pitch / 4) + x0 + x];
    const fs::path p = out / "bmp" / (name + "_" + std::to_string(piece) + ".bmp");
    fs::create_directories(p.parent_path());
    if (!WriteBmp24(p.c_str(), argb.data(), w, h)) std::exit(1);
  }
  SDL_FreeSurface(s);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds OUT_DIR\n");
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  const fs::path game(WEXLA_GAME_DIR);
  fuzz::InitOnce();

  for (const auto& e : fs::directory_iterator(game)) {
    const std::string n = e.path().filename().string();
    if (n.rfind("st", 0) == 0 && e.path().extension() == ".txt") Write(out / "stage" / n, ReadAll(e.path()));
  }
  Write(out / "rndtbl" / "rndtbl.dat", ReadAll(game / "rndtbl.dat"));
  for (const auto& e : fs::directory_iterator(game / "se"))
    Write(out / "wave" / e.path().filename(), ReadAll(e.path()));
  for (const char* n : {"tex000", "tex001", "tex002"}) AtlasPieces(out, game / "img" / (std::string(n) + ".bmp"), n);

  // The settings files as made, then with menu keys behind them: down the title menu into the
  // configuration, across its rows, and back.
  const std::vector<uint8_t> config = ReadAll(fs::path(fuzz::Folder()) / "config.dat");
  const std::vector<uint8_t> hiscore = ReadAll(fs::path(fuzz::Folder()) / "hiscore.dat");
  Write(out / "config" / "config.dat", config);
  Write(out / "hiscore" / "hiscore.dat", hiscore);
  const std::vector<uint8_t> keys = {0, 8, 0, 8, 0, 16, 0, 8, 0, 2, 0, 2, 0, 8, 0, 1, 0, 8, 0, 16, 0, 128, 0, 1, 0, 2, 0, 16};
  std::vector<uint8_t> configKeys = config;
  configKeys.insert(configKeys.end(), keys.begin(), keys.end());
  Write(out / "config" / "config_keys.dat", configKeys);
  std::vector<uint8_t> hiscoreKeys = hiscore;
  hiscoreKeys.insert(hiscoreKeys.end(), {0, 1, 0, 1, 0, 2, 0, 16});
  Write(out / "hiscore" / "hiscore_keys.dat", hiscoreKeys);

  RecordReplays(out);
  return 0;
}
