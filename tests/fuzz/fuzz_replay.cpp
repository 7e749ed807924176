// Replay files. The first input byte picks the form of the rest: even, the file as it stands;
// odd, a plain header image (and runs) that is given its checksums and scrambled as the game
// saves it, so the fuzzer gets past the checksums to the fields and the runs. The replay is then
// played from the command line as the game plays it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frontend/ReplayData.h"
#include "tests/fuzz/FuzzSession.h"

namespace {

std::vector<uint8_t> Sealed(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  if (file.size() < kReplayHeaderBytes) return file;
  ReplayData r;
  r.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayHeaderWords, sizeof(uint32_t)));
  for (int w = 0; w < kReplayHeaderWords; ++w) r.runBuffer[w] = GetReplayWord(file.data(), 4 * w);
  r.WriteChecksums();
  r.ScrambleHeader();
  for (int w = 0; w < kReplayHeaderWords; ++w) PutReplayWord(file.data(), 4 * w, r.runBuffer[w]);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::vector<uint8_t> file =
      (data[0] & 1) ? Sealed(data + 1, size - 1) : std::vector<uint8_t>(data + 1, data + size);
  fuzz::PutFile("fuzz.dat", file.data(), file.size());
  if (fuzz::StartUp("/rep:fuzz.dat")) fuzz::PlayFrames(240);
  fuzz::ShutDown();
  return 0;
}
