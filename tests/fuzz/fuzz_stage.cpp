// Stage scripts: the input is st01.txt; a game starts on it and is played for a while, so the
// events the loader made are fired and the enemies, spawners and effects they name run.

#include <cstddef>
#include <cstdint>

#include "enemy/StageScript.h"
#include "tests/fuzz/FuzzSession.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StageScript direct;
  direct.LoadBytes(data, size);
  fuzz::PutFile("st01.txt", data, size);
  if (fuzz::StartUp("")) fuzz::PlayFrames(240);
  fuzz::ShutDown();
  return 0;
}
