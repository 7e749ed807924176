// config.dat: read at start-up, applied, then used by the menus.

#include "app/Settings.h"
#include "tests/fuzz/fuzz_settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzSettingsFile("config.dat", kConfigFileSize, data, size);
}
