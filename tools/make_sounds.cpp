// Writes the game's sound effects (se/) and music (bgm/) into the game folder given as the
// argument, with our own synthesizer: the same bytes on every run.

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "tools/synth/Sounds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sounds GAME_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  mkdir(dir.c_str(), 0755);
  mkdir((dir + "/se").c_str(), 0755);
  mkdir((dir + "/bgm").c_str(), 0755);
  if (!synth::WriteEffects(dir) || !synth::WriteMusic(dir)) return 1;
  return 0;
}
