// Writes our own random table "rndtbl.dat": word 0 = 20480, then 20479 words from a fixed-seed
// SplitMix64, so every build writes the same bytes. Checks the table before writing it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "world/Random.h"

namespace {

uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

bool CheckUniform(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != 2u * kRandomTableSize) return false;
  if (LoadRandomTableFromBytes(bytes.data(), static_cast<long>(bytes.size())) != 0) return false;
  const uint32_t starts[] = {0, 1000, 12345, 20479};
  for (uint32_t start : starts) {
    SeedRandomWalk(start);
    const int draws = 160000;
    int counts[16] = {};
    for (int i = 0; i < draws; ++i) counts[RandomInt(16)] += 1;
    for (int c : counts) {
      // Expected 10000 per bucket; allow 5%.
      if (c < 9500 || c > 10500) {
        std::fprintf(stderr, "make_rndtbl: start %u: bucket count %d is not close to uniform\n", start, c);
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_rndtbl OUTPUT\n");
    return 2;
  }
  std::vector<uint8_t> bytes(2 * kRandomTableSize);
  bytes[0] = kRandomTableSize & 0xFF;
  bytes[1] = kRandomTableSize >> 8;
  uint64_t state = 0x57E71A0D15EA5Eull;
  for (int i = 1; i < kRandomTableSize; ++i) {
    const uint16_t w = static_cast<uint16_t>(SplitMix64(state) >> 48);
    bytes[2 * i] = w & 0xFF;
    bytes[2 * i + 1] = w >> 8;
  }
  if (!CheckUniform(bytes)) return 1;
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f) {
    std::fprintf(stderr, "make_rndtbl: cannot write %s\n", argv[1]);
    return 1;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "make_rndtbl: write failed\n");
    return 1;
  }
  return 0;
}
