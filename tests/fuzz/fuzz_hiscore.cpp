// hiscore.dat: read at start-up, drawn on the title screen, ranked against at a game's end.

#include "app/Settings.h"
#include "tests/fuzz/fuzz_settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzSettingsFile("hiscore.dat", kHighScoreFileSize, data, size);
}
