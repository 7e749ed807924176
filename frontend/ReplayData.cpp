#include "frontend/ReplayData.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "platform/Platform.h"
#include "world/GameWorld.h"
#include "world/Random.h"

int g_replayKey1 = 0;
int g_replayKey2 = 0;
uint8_t g_replayPlayback = 0;

namespace {

constexpr int kChecksum1First = 3, kChecksum1Last = 27;   // bytes 12..111
constexpr int kChecksum2First = 28, kChecksum2Last = 125;  // bytes 112..503
constexpr int kNumberedReplayNames = 10000;

uint32_t* NewRunBuffer() {
  return static_cast<uint32_t*>(std::calloc(kReplayBufferWords, sizeof(uint32_t)));
}

// Byte p of the header copy held in the run buffer's first 160 words (little-endian words).
uint8_t CopyByte(const uint32_t* words, int p) {
  return static_cast<uint8_t>(words[p >> 2] >> ((p & 3) * 8));
}

void SetCopyByte(uint32_t* words, int p, uint8_t value) {
  const int shift = (p & 3) * 8;
  words[p >> 2] = (words[p >> 2] & ~(0xFFu << shift)) | (static_cast<uint32_t>(value) << shift);
}

uint32_t SumWords(const uint32_t* words, int first, int last) {
  uint32_t sum = 0;
  for (int i = first; i <= last; ++i) sum += words[i];
  return sum;
}

void HeaderImageToWords(const uint8_t* header, uint32_t* words) {
  for (int i = 0; i < kReplayHeaderWords; ++i) words[i] = GetReplayWord(header, 4 * i);
}

void WordsToBytes(const uint32_t* words, size_t count, uint8_t* bytes) {
  for (size_t i = 0; i < count; ++i) PutReplayWord(bytes, static_cast<int>(4 * i), words[i]);
}

// The checksums protect against accidents, not against a forged file: every field that the game
// uses as an index or a table position must be in range before it is restored.
bool HeaderFieldsUsable(const uint8_t* h) {
  const int32_t endIndex = static_cast<int32_t>(GetReplayWord(h, ReplayOffsetEndIndex));
  if (endIndex < kReplayHeaderWords || endIndex > kReplayMaxEndIndex) return false;
  const int32_t index = static_cast<int32_t>(GetReplayWord(h, ReplayOffsetRandomIndex));
  const int32_t step = static_cast<int32_t>(GetReplayWord(h, ReplayOffsetRandomStep));
  if (index < 0 || index >= kRandomTableSize) return false;
  if (step < 0 || step >= kRandomTableSize / 2) return false;
  if (h[ReplayOffsetDifficulty] > 15) return false;
  if (h[ReplayOffsetStartStage] < 1 || h[ReplayOffsetStartStage] > 8) return false;
  for (int i = 0; i < 6; ++i) {
    if (h[ReplayOffsetClassLevels + i] > 3) return false;
  }
  return true;
}

}  // namespace

uint32_t GetReplayWord(const uint8_t* bytes, int offset) {
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

void PutReplayWord(uint8_t* bytes, int offset, uint32_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
  bytes[offset + 2] = static_cast<uint8_t>(value >> 16);
  bytes[offset + 3] = static_cast<uint8_t>(value >> 24);
}

ReplayData::~ReplayData() { std::free(runBuffer); }

void ReplayData::RecordInput(int mask) {
  if (mask == currentMask) {
    if (mask == -1) return;  // no run in progress: flushing again changes nothing
    if (static_cast<uint32_t>(runCount) < kReplayMaxRunLength) {
      ++runCount;
      return;
    }
    // The 20-bit length is full: the run goes on in a new word of the same mask.
  }
  // Nothing is stored past the capacity, so the 160 zero words behind the runs always fit.
  if (currentMask != -1 && runBuffer && index >= kReplayHeaderWords && index < kReplayMaxEndIndex) {
    runBuffer[index] = (static_cast<uint32_t>(runCount) << kReplayRunShift) |
                       (static_cast<uint32_t>(currentMask) & kReplayMaskBits);
    ++index;
  }
  currentMask = mask;
  runCount = 1;
}

void ReplayData::FlushRecording() { RecordInput(-1); }

void ReplayData::ReadInput(int flags[kReplayInputFlags]) {
  if (!runBuffer || index < 0 || index >= kReplayBufferWords) {
    // At the end of the run buffer the playback gives no input and stays there.
    for (int i = 0; i < kReplayInputFlags; ++i) flags[i] = 0;
    return;
  }
  const uint32_t w = runBuffer[index];
  const uint32_t mask = w & kReplayMaskBits;
  const int length = static_cast<int>((w >> kReplayRunShift) & kReplayMaxRunLength);
  runCount += 1;
  if (runCount >= length) {  // a zero word plays as one frame without input
    index += 1;
    runCount = 0;
  }
  for (int i = 0; i < kReplayInputFlags; ++i) flags[i] = (mask >> i) & 1;
}

void ReplayData::WriteChecksums() {
  if (!runBuffer) return;
  runBuffer[ReplayOffsetChecksum1 / 4] = SumWords(runBuffer, kChecksum1First, kChecksum1Last);
  runBuffer[ReplayOffsetChecksum2 / 4] = SumWords(runBuffer, kChecksum2First, kChecksum2Last);
}

void ReplayData::ScrambleHeader() {
  if (!runBuffer) return;
  const int k1 = CopyByte(runBuffer, ReplayOffsetKey1);
  const int k2 = CopyByte(runBuffer, ReplayOffsetKey2);
  for (int p = kReplayScrambleBegin; p < kReplayScrambleEnd; ++p)
    SetCopyByte(runBuffer, p, static_cast<uint8_t>(CopyByte(runBuffer, p) + k1 + ((p * k2) & 0xFF)));
}

void ReplayData::UnscrambleHeader() {
  if (!runBuffer) return;
  const int k1 = CopyByte(runBuffer, ReplayOffsetKey1);
  const int k2 = CopyByte(runBuffer, ReplayOffsetKey2);
  for (int p = kReplayScrambleBegin; p < kReplayScrambleEnd; ++p)
    SetCopyByte(runBuffer, p, static_cast<uint8_t>(CopyByte(runBuffer, p) - k1 - ((p * k2) & 0xFF)));
}

bool ReplayData::ChecksumsBad() const {
  if (!runBuffer) return true;
  return SumWords(runBuffer, kChecksum1First, kChecksum1Last) != runBuffer[ReplayOffsetChecksum1 / 4] ||
         SumWords(runBuffer, kChecksum2First, kChecksum2Last) != runBuffer[ReplayOffsetChecksum2 / 4];
}

void BeginReplayRecording(GameWorld* world) {
  if (!world || !world->recorder) return;
  ReplayData* r = world->recorder;
  const Player& p = world->player;
  uint8_t* h = r->header;
  std::memset(h, 0, kReplayHeaderBytes);
  PutReplayWord(h, ReplayOffsetMagic, kReplayMagic);
  PutReplayWord(h, ReplayOffsetVersion, kReplayVersion);
  h[ReplayOffsetKey1] = static_cast<uint8_t>(g_replayKey1);
  h[ReplayOffsetKey2] = static_cast<uint8_t>(g_replayKey2);
  h[ReplayOffsetDifficulty] = static_cast<uint8_t>(g_difficulty);
  // A live game's start power is still the reset value here: the frame loop sets it on the
  // game's first frame, and playback repeats that.
  h[ReplayOffsetStartPower] = static_cast<uint8_t>(p.power);
  h[ReplayOffsetStartStage] = static_cast<uint8_t>(g_stage);
  h[ReplayOffsetStartLives] = static_cast<uint8_t>(p.lives);
  h[ReplayOffsetStartShields] = static_cast<uint8_t>(p.shields);
  h[ReplayOffsetStartBombs] = static_cast<uint8_t>(p.bombs);
  for (int i = 0; i < 6; ++i) h[ReplayOffsetClassLevels + i] = static_cast<uint8_t>(p.optionClassLevel[i]);
  PutReplayWord(h, ReplayOffsetHeaderWords, kReplayHeaderWords);
  PutReplayWord(h, ReplayOffsetRunShift, kReplayRunShift);
  PutReplayWord(h, ReplayOffsetSeedIndex, static_cast<uint32_t>(g_randomSeedIndex));
  PutReplayWord(h, ReplayOffsetRandomIndex, static_cast<uint32_t>(g_randomIndex));
  PutReplayWord(h, ReplayOffsetRandomStep, static_cast<uint32_t>(g_randomStep));

  r->index = kReplayHeaderWords;
  r->currentMask = -1;
  r->runCount = 0;
  r->headerFinished = false;
  std::free(r->runBuffer);
  r->runBuffer = NewRunBuffer();
}

namespace {

void WriteReplayResults(GameWorld* world, int gameFrame) {
  if (!world || !world->recorder || world->recorder->headerFinished) return;
  ReplayData* r = world->recorder;
  const Player& p = world->player;
  uint8_t* h = r->header;
  PutReplayWord(h, ReplayOffsetScoreLow, static_cast<uint32_t>(p.scoreLow));
  PutReplayWord(h, ReplayOffsetScoreHigh, static_cast<uint32_t>(p.scoreHigh));
  PutReplayWord(h, ReplayOffsetFrames, static_cast<uint32_t>(gameFrame));
  PutReplayWord(h, ReplayOffsetEndIndex, static_cast<uint32_t>(r->index));
  h[ReplayOffsetEndPower] = static_cast<uint8_t>(p.power);
  h[ReplayOffsetEndStage] = static_cast<uint8_t>(g_stage);
  h[ReplayOffsetEndLives] = static_cast<uint8_t>(p.lives);  // -1 after a game over: 0xFF
  h[ReplayOffsetEndShields] = static_cast<uint8_t>(p.shields);
  h[ReplayOffsetEndBombs] = static_cast<uint8_t>(p.bombs);
  PutReplayWord(h, ReplayOffsetGrazeCount, static_cast<uint32_t>(p.grazeCount));
  r->headerFinished = true;
}

}  // namespace

void FinishReplayHeader(GameWorld* world) { WriteReplayResults(world, g_gameFrame); }

void CloseReplayRecording(GameWorld* world, int gameFrame) {
  if (!world || !world->recorder) return;
  world->recorder->FlushRecording();
  WriteReplayResults(world, gameFrame);
}

void SetRecorderPlayerName(GameWorld* world, const char* name) {
  if (!world || !world->recorder) return;
  uint8_t* dst = world->recorder->header + ReplayOffsetName;
  int i = 0;
  for (; name && i < 8 && name[i] != '\0'; ++i) dst[i] = static_cast<uint8_t>(name[i]);
  for (; i < 8; ++i) dst[i] = 0;
}

void CopyEntryNameToRecorder(GameWorld* world) {
  if (!world) return;
  SetRecorderPlayerName(world, world->result.entryName);
}

void CopyReplayPlayerName(const ReplayData* replay, char out[9]) {
  if (!replay) {
    out[0] = '\0';
    return;
  }
  std::memcpy(out, replay->header + ReplayOffsetName, 8);
  out[8] = '\0';
}

namespace {

bool WriteRecording(GameWorld* world, const char* path, std::string* reason) {
  ReplayData* r = world ? world->recorder : nullptr;
  if (!r || !r->runBuffer || !path) {
    if (reason) *reason = "nothing was recorded";
    return false;
  }
  // The header image stays plain, so a second save starts from it again.
  HeaderImageToWords(r->header, r->runBuffer);
  r->WriteChecksums();
  r->ScrambleHeader();
  int endIndex = r->index;
  if (endIndex < kReplayHeaderWords) endIndex = kReplayHeaderWords;
  if (endIndex > kReplayMaxEndIndex) endIndex = kReplayMaxEndIndex;
  const size_t words = static_cast<size_t>(endIndex) + kReplayHeaderWords;
  std::vector<uint8_t> bytes(4 * words);
  WordsToBytes(r->runBuffer, words, bytes.data());
  return PlatformWriteFileAtomic(path, bytes.data(), bytes.size(), reason);
}

}  // namespace

bool SaveReplay(GameWorld* world, const char* path) { return WriteRecording(world, path, nullptr); }

bool SaveLatestReplay(GameWorld* world) {
  const char path[] = "replay.dat";
  std::string reason;
  if (WriteRecording(world, path, &reason)) return true;
  // The result screen goes on as if it worked (a kept replay tells on the screen instead).
  std::fprintf(stderr, "wexla: could not write %s: %s\n", path, reason.c_str());
  return false;
}

bool ChooseReplayFileName(GameWorld* world) {
  if (!world) return false;
  char name[32];
  bool found = false;
  for (int n = 0; n < kNumberedReplayNames; ++n) {
    std::snprintf(name, sizeof(name), "replay%04d.dat", n);
    if (!PlatformFileExists(name)) {  // a folder of that name blocks it too
      found = true;
      break;
    }
  }
  std::snprintf(world->replayFileName, sizeof(world->replayFileName), "%s", name);
  return found;
}

bool SaveNumberedReplay(GameWorld* world) {
  if (!ChooseReplayFileName(world)) return false;  // every name taken: keep them all
  return SaveReplay(world, world->replayFileName);
}

bool LoadPlaybackReplay(GameWorld* world, const char* path) {
  if (!world) return false;
  g_replayPlayback = 0;
  delete world->playback;
  world->playback = new ReplayData();
  ReplayData* r = world->playback;
  r->runBuffer = NewRunBuffer();
  if (!r->runBuffer || !path) return false;

  // The header and at most the run words it counts are read, so a long file needs no bound.
  const char* why = nullptr;
  std::FILE* f = PlatformOpenFileForReading(path, &why);
  if (!f) {
    PlatformReportUnloadableFile(path, why);
    return false;
  }
  uint8_t plain[kReplayHeaderBytes];
  bool good = std::fread(plain, 1, kReplayHeaderBytes, f) == kReplayHeaderBytes;
  if (good) {
    HeaderImageToWords(plain, r->runBuffer);
    r->UnscrambleHeader();  // magic and version are not tested
    good = !r->ChecksumsBad();
  }
  if (good) {
    WordsToBytes(r->runBuffer, kReplayHeaderWords, plain);
    good = HeaderFieldsUsable(plain);
  }
  if (!good) {
    std::fclose(f);
    PlatformReportUnloadableFile(path, "not a usable replay");
    return false;
  }

  std::memcpy(r->header, plain, kReplayHeaderBytes);
  // The run words and the zero tail; a short file simply leaves zero words (no input).
  const size_t endIndex = GetReplayWord(plain, ReplayOffsetEndIndex);
  std::vector<uint8_t> runBytes(4 * endIndex);
  const size_t got = std::fread(runBytes.data(), 1, runBytes.size(), f) / 4;
  for (size_t i = 0; i < got; ++i)
    r->runBuffer[kReplayHeaderWords + i] = GetReplayWord(runBytes.data(), static_cast<int>(4 * i));
  std::fclose(f);
  r->index = kReplayHeaderWords;
  r->runCount = 0;

  g_difficulty = plain[ReplayOffsetDifficulty];
  g_stage = plain[ReplayOffsetStartStage];
  Player& p = world->player;
  p.power = plain[ReplayOffsetStartPower];
  p.shields = plain[ReplayOffsetStartShields];
  p.bombs = plain[ReplayOffsetStartBombs];
  for (int i = 0; i < 6; ++i) p.optionClassLevel[i] = plain[ReplayOffsetClassLevels + i];
  // The lives byte is not read: a new game always starts with the reset lives.
  g_randomSeedIndex = static_cast<int32_t>(GetReplayWord(plain, ReplayOffsetSeedIndex));
  g_randomIndex = static_cast<int32_t>(GetReplayWord(plain, ReplayOffsetRandomIndex));
  g_randomStep = static_cast<int32_t>(GetReplayWord(plain, ReplayOffsetRandomStep));
  g_replayPlayback = 1;
  return true;
}
