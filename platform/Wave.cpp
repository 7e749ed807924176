#include "platform/Wave.h"

#include <cstdlib>
#include <cstring>

#include "platform/Platform.h"

std::FILE* g_waveFile = nullptr;
WaveFormatEx* g_waveFormat = nullptr;
WaveChunk g_waveRiffChunk;
WaveChunk g_waveDataChunk;

namespace {

// Length of the open file: chunk sizes are checked against it, so a damaged header can neither
// send the reader past the end nor make the caller allocate more than the file holds.
uint64_t g_waveFileLength = 0;

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool ReadExact(std::FILE* file, void* destination, size_t bytes) {
  return std::fread(destination, 1, bytes, file) == bytes;
}

bool SeekTo(std::FILE* file, uint64_t offset) {
  if (offset > g_waveFileLength) return false;
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// Searches the chunks from the current position up to parentEnd for the id (words are padded
// to even sizes) and leaves the file at the found chunk's contents.
bool DescendToChunk(std::FILE* file, uint32_t id, uint64_t parentEnd, WaveChunk* found) {
  long at = std::ftell(file);
  if (at < 0) return false;
  uint64_t position = static_cast<uint64_t>(at);
  while (position + 8 <= parentEnd) {
    uint8_t head[8];
    if (!SeekTo(file, position) || !ReadExact(file, head, sizeof(head))) return false;
    const uint32_t ckid = ReadLe32(head);
    const uint32_t cksize = ReadLe32(head + 4);
    if (ckid == id) {
      found->ckid = ckid;
      found->cksize = cksize;
      found->fccType = 0;
      found->dataOffset = static_cast<uint32_t>(position + 8);
      return true;
    }
    position += 8 + static_cast<uint64_t>(cksize) + (cksize & 1u);
  }
  return false;
}

void FreeFormatBlock() {
  std::free(g_waveFormat);
  g_waveFormat = nullptr;
}

}  // namespace

bool WaveOpen(const char* path) {
  FreeFormatBlock();
  if (WaveOpenFile(path, &g_waveFile, &g_waveFormat, &g_waveRiffChunk) != WaveResultOk) return false;
  if (WaveStartDataRead(g_waveFile, &g_waveDataChunk, &g_waveRiffChunk) != WaveResultOk) return false;
  return true;
}

int32_t WaveOpenFile(const char* path, std::FILE** file, WaveFormatEx** format, WaveChunk* riff) {
  *file = PlatformOpenFileForReading(path);
  if (!*file) return WaveResultFail;
  g_waveFileLength = 0;
  long length = -1;
  if (std::fseek(*file, 0, SEEK_END) == 0) length = std::ftell(*file);
  if (length < 0 || std::fseek(*file, 0, SEEK_SET) != 0) {
    std::fclose(*file);
    *file = nullptr;
    return WaveResultFail;
  }
  g_waveFileLength = static_cast<uint64_t>(length);
  if (WaveReadFormat(*file, format, riff) != WaveResultOk) {
    std::fclose(*file);
    *file = nullptr;
    return WaveResultFail;
  }
  return WaveResultOk;
}

int32_t WaveReadFormat(std::FILE* file, WaveFormatEx** format, WaveChunk* riff) {
  uint8_t head[12];
  if (!SeekTo(file, 0) || !ReadExact(file, head, sizeof(head))) return WaveResultFail;
  riff->ckid = ReadLe32(head);
  riff->cksize = ReadLe32(head + 4);
  riff->fccType = ReadLe32(head + 8);
  riff->dataOffset = 8;
  if (riff->ckid != WaveFourCC('R', 'I', 'F', 'F') || riff->fccType != WaveFourCC('W', 'A', 'V', 'E'))
    return WaveResultFail;

  const uint64_t riffEnd = static_cast<uint64_t>(riff->dataOffset) + riff->cksize;
  WaveChunk fmt;
  if (!DescendToChunk(file, WaveFourCC('f', 'm', 't', ' '), riffEnd, &fmt)) return WaveResultFail;
  if (fmt.cksize < 16) return WaveResultFail;

  uint8_t pcm[16];
  if (!ReadExact(file, pcm, sizeof(pcm))) return WaveResultFail;
  WaveFormatEx base;
  base.formatTag = ReadLe16(pcm);
  base.channels = ReadLe16(pcm + 2);
  base.samplesPerSec = ReadLe32(pcm + 4);
  base.avgBytesPerSec = ReadLe32(pcm + 8);
  base.blockAlign = ReadLe16(pcm + 12);
  base.bitsPerSample = ReadLe16(pcm + 14);
  base.cbSize = 0;

  WaveFormatEx* block = nullptr;
  if (base.formatTag == WaveFormatPcm) {
    block = static_cast<WaveFormatEx*>(std::malloc(sizeof(WaveFormatEx)));
    if (!block) return WaveResultFail;
    *block = base;
  } else {
    // The extra-size word belongs to the chunk: a 16-byte chunk has none, and no extra bytes.
    uint8_t extraWord[2] = {0, 0};
    if (fmt.cksize >= 18 && !ReadExact(file, extraWord, sizeof(extraWord))) return WaveResultFail;
    const uint16_t extra = ReadLe16(extraWord);
    block = static_cast<WaveFormatEx*>(std::malloc(sizeof(WaveFormatEx) + extra));
    if (!block) return WaveResultFail;
    base.cbSize = extra;
    *block = base;
    if (!ReadExact(file, reinterpret_cast<uint8_t*>(block) + sizeof(WaveFormatEx), extra)) {
      std::free(block);
      return WaveResultFail;
    }
  }

  // Ascend: behind the 'fmt ' contents and their pad byte.
  const uint64_t fmtEnd = static_cast<uint64_t>(fmt.dataOffset) + fmt.cksize + (fmt.cksize & 1u);
  if (static_cast<uint64_t>(fmt.dataOffset) + fmt.cksize > g_waveFileLength || !SeekTo(file, fmtEnd)) {
    std::free(block);
    return WaveResultFail;
  }
  std::free(*format);
  *format = block;
  return WaveResultOk;
}

int32_t WaveStartDataRead(std::FILE* file, WaveChunk* data, const WaveChunk* riff) {
  if (!SeekTo(file, static_cast<uint64_t>(riff->dataOffset) + 4)) return WaveResultFail;
  const uint64_t riffEnd = static_cast<uint64_t>(riff->dataOffset) + riff->cksize;
  if (!DescendToChunk(file, WaveFourCC('d', 'a', 't', 'a'), riffEnd, data)) return WaveResultFail;
  // A 'data' chunk claiming more bytes than the file holds is damaged: refuse it here, before
  // anyone allocates its size.
  if (static_cast<uint64_t>(data->dataOffset) + data->cksize > g_waveFileLength) return WaveResultFail;
  return WaveResultOk;
}

bool WaveReadData(uint32_t bytes, uint8_t* destination, uint32_t* bytesRead, WaveFormatEx* formatOut) {
  const int32_t result = WaveReadFile(g_waveFile, bytes, destination, &g_waveDataChunk, bytesRead);
  if (result == WaveResultOk && formatOut && g_waveFormat) std::memcpy(formatOut, g_waveFormat, sizeof(WaveFormatEx));
  FreeFormatBlock();
  return result == WaveResultOk;
}

int32_t WaveReadFile(std::FILE* file, uint32_t bytes, uint8_t* destination, WaveChunk* chunk,
                     uint32_t* bytesRead) {
  *bytesRead = 0;
  if (!file) return WaveResultFail;
  const uint32_t count = bytes < chunk->cksize ? bytes : chunk->cksize;
  chunk->cksize -= count;
  if (count > 0 && (!destination || !ReadExact(file, destination, count))) return WaveResultFail;
  *bytesRead = count;
  return WaveResultOk;
}

void WaveClose() {
  if (g_waveFile) std::fclose(g_waveFile);
  g_waveFile = nullptr;
  FreeFormatBlock();  // left over when the caller gave up before reading the data
}
