// check_stage FILE...: checks stage files with the game's own loader. Prints one line per
// problem as FILE:LINE: message and exits with 1 when any file has a problem.

#include <cstdio>
#include <vector>

#include "StageCheck.h"
#include "enemy/StageScript.h"
#include "platform/Platform.h"
#include "world/SpriteTable.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: check_stage FILE...\n");
    return 2;
  }
  InitGameTables();
  int bad = 0;
  for (int i = 1; i < argc; ++i) {
    // The game's own guard: only a regular file of a size a stage can have.
    std::vector<uint8_t> bytes;
    const char* why = nullptr;
    if (!PlatformReadWholeFile(argv[i], kStageFileMaxBytes, &bytes, &why)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], why);
      ++bad;
      continue;
    }
    const std::vector<StageProblem> problems = CheckStageBytes(bytes.data(), bytes.size());
    for (const StageProblem& p : problems) std::printf("%s:%d: %s\n", argv[i], p.line, p.message.c_str());
    if (!problems.empty()) ++bad;
  }
  return bad ? 1 : 0;
}
