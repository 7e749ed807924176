#pragma once
// A small RIFF WAVE reader over standard file I/O, one open file at a time: open the file and
// read its 'fmt ' chunk, find the 'data' chunk, then read the samples. Chunk sizes are checked
// against the file's length, so a damaged file is refused before anything is allocated for it.

#include <cstdint>
#include <cstdio>

// Result codes of the inner reader functions.
enum WaveResult : int32_t {
  WaveResultOk = 0,
  WaveResultFail = static_cast<int32_t>(0x80004005u),
};

enum WaveFormatTag : uint16_t {
  WaveFormatPcm = 1,
};

#pragma pack(push, 1)
// The 18-byte format block of a WAVE file ('fmt ' fields plus the extra-size word).
struct WaveFormatEx {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

// One RIFF chunk: its id, its size (counted down while 'data' is read), the form type of a RIFF
// chunk and the file offset of its contents.
struct WaveChunk {
  uint32_t ckid;
  uint32_t cksize;
  uint32_t fccType;
  uint32_t dataOffset;
};

constexpr uint32_t WaveFourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(d)) << 24;
}

extern std::FILE* g_waveFile;
extern WaveFormatEx* g_waveFormat;  // raw block of 18 + cbSize bytes, null when none
extern WaveChunk g_waveRiffChunk;
extern WaveChunk g_waveDataChunk;

bool WaveOpen(const char* path);
// Reads up to bytes of samples into destination; copies the 18-byte format into formatOut when
// given, and frees the format block.
bool WaveReadData(uint32_t bytes, uint8_t* destination, uint32_t* bytesRead, WaveFormatEx* formatOut);
void WaveClose();

int32_t WaveOpenFile(const char* path, std::FILE** file, WaveFormatEx** format, WaveChunk* riff);
int32_t WaveReadFormat(std::FILE* file, WaveFormatEx** format, WaveChunk* riff);
int32_t WaveStartDataRead(std::FILE* file, WaveChunk* data, const WaveChunk* riff);
int32_t WaveReadFile(std::FILE* file, uint32_t bytes, uint8_t* destination, WaveChunk* chunk,
                     uint32_t* bytesRead);
