// check_stage FILE...: checks stage files with the game's own loader. Prints one line per
// problem as FILE:LINE: message and exits with 1 when any file has a problem.

#include <cstdio>
#include <vector>

#include "StageCheck.h"
#include "world/SpriteTable.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: check_stage FILE...\n");
    return 2;
  }
  InitGameTables();
  int bad = 0;
  for (int i = 1; i < argc; ++i) {
    std::FILE* f = std::fopen(argv[i], "rb");
    if (!f) {
      std::fprintf(stderr, "%s: cannot be opened\n", argv[i]);
      ++bad;
      continue;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    const std::vector<StageProblem> problems = CheckStageBytes(bytes.data(), bytes.size());
    for (const StageProblem& p : problems) std::printf("%s:%d: %s\n", argv[i], p.line, p.message.c_str());
    if (!problems.empty()) ++bad;
  }
  return bad ? 1 : 0;
}
