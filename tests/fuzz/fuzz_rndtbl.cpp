// rndtbl.dat: the table-walk generator's table; a game is played on whatever it holds.

#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzSession.h"
#include "world/Random.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadRandomTableFromBytes(data, static_cast<long>(size));
  fuzz::PutFile("rndtbl.dat", data, size);
  if (fuzz::StartUp("")) fuzz::PlayFrames(150);
  fuzz::ShutDown();
  return 0;
}
