#include "app/Settings.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Input.h"
#include "platform/Platform.h"
#include "world/MathUtil.h"

int32_t g_config[kConfigSlots];
HighScoreEntry g_highScores[kHighScoreTables][kHighScoreEntries];
int g_bgmVolume = 8000;
int g_seVolume = 7800;

namespace {

const char kLoadFailed[] = "読み込み失敗";
const char kFileCorrupt[] = "ファイル異常";
const char kWriteFailed[] = "書き込み失敗";

// One of the two files: its record layout and the messages of its load-or-create steps.
struct SettingsFile {
  const char* path;
  size_t recordSize;
  size_t records;
  const char* missing;
  const char* openFailed;
  const char* corrupt;
  const char* createFailed;
  const char* createShort;
};

const SettingsFile kConfigFile = {
    "config.dat",
    4,
    kConfigSlots,
    "コンフィグデータが見つかりません。\nコンフィグデータを作成します。\n\n",
    "コンフィグデータの読み込みに失敗しました。\nデフォルトの設定で起動します。\n\n",
    "コンフィグデータが異常です。\nデフォルトのコンフィグデータを使用します。",
    "コンフィグデータの作成に失敗しました。\nアクセス権限やフォルダの属性等を確認して下さい。\n\n",
    "コンフィグデータの作成が異常終了しました。\n\n",
};

const SettingsFile kHighScoreFile = {
    "hiscore.dat",
    kHighScoreRecordSize,
    kHighScoreTables * kHighScoreEntries,
    "ハイスコアデータが見つかりません。\nハイスコアデータを作成します。\n\n",
    "ハイスコアデータの読み込みに失敗しました。\nデフォルトのハイスコアランキングを使用します。\n\n",
    "ハイスコアデータが異常です。\nデフォルトのハイスコアランキングを使用します。",
    "ハイスコアデータの作成に失敗しました。\nアクセス権限やフォルダの属性等を確認して下さい。\n\n",
    "ハイスコアデータの作成が異常終了しました。\n\n",
};

enum class ReadResult { Good, Missing, Unusable };

// A file that was there at start-up but could not be used, until it has been kept aside before
// its first rewrite. The folder is kept too: a rewrite elsewhere has nothing of it to keep.
struct DamagedFile {
  bool damaged = false;
  std::string folder;
};
DamagedFile g_configDamaged;
DamagedFile g_highScoresDamaged;

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

void MarkDamaged(DamagedFile* mark, bool damaged) {
  mark->damaged = damaged;
  mark->folder = damaged ? CurrentFolder() : std::string();
}

constexpr int kKeptNames = 100;  // NAME.bad, then NAME.bad1 to NAME.bad99

void PutLE32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = u & 0xFF;
  p[1] = (u >> 8) & 0xFF;
  p[2] = (u >> 16) & 0xFF;
  p[3] = (u >> 24) & 0xFF;
}

int32_t GetLE32(const uint8_t* p) {
  const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return static_cast<int32_t>(u);
}

std::vector<uint8_t> EncodeConfig() {
  std::vector<uint8_t> bytes(kConfigFileSize);
  for (int i = 0; i < kConfigSlots; ++i) PutLE32(bytes.data() + 4 * i, g_config[i]);
  return bytes;
}

void DecodeConfig(const std::vector<uint8_t>& bytes) {
  for (int i = 0; i < kConfigSlots; ++i) g_config[i] = GetLE32(bytes.data() + 4 * i);
}

std::vector<uint8_t> EncodeHighScores() {
  std::vector<uint8_t> bytes(kHighScoreFileSize);
  uint8_t* p = bytes.data();
  for (int t = 0; t < kHighScoreTables; ++t) {
    for (int i = 0; i < kHighScoreEntries; ++i, p += kHighScoreRecordSize) {
      const HighScoreEntry& e = g_highScores[t][i];
      PutLE32(p, e.scoreLow);
      PutLE32(p + 4, e.scoreHigh);
      PutLE32(p + 8, e.item);
      PutLE32(p + 12, e.miss);
      std::memcpy(p + 16, e.name, 8);
      PutLE32(p + 24, e.stage);
    }
  }
  return bytes;
}

void DecodeHighScores(const std::vector<uint8_t>& bytes) {
  const uint8_t* p = bytes.data();
  for (int t = 0; t < kHighScoreTables; ++t) {
    for (int i = 0; i < kHighScoreEntries; ++i, p += kHighScoreRecordSize) {
      HighScoreEntry& e = g_highScores[t][i];
      e.scoreLow = GetLE32(p);
      e.scoreHigh = GetLE32(p + 4);
      e.item = GetLE32(p + 8);
      e.miss = GetLE32(p + 12);
      std::memcpy(e.name, p + 16, 8);
      e.stage = GetLE32(p + 24);
    }
  }
}

// Reading at start-up: Good only when every record was read; a longer file's tail
// is ignored.
ReadResult ReadSettingsFile(const SettingsFile& file, std::vector<uint8_t>* bytes) {
  if (!PlatformFileExists(file.path)) {
    PlatformMessageBox(file.missing, kLoadFailed, MessageBoxOkInformation);
    return ReadResult::Missing;
  }
  // Only its records are read, so a long file needs no bound.
  std::FILE* f = PlatformOpenFileForReading(file.path);
  if (!f) {
    PlatformMessageBox(file.openFailed, kLoadFailed, MessageBoxOkWarning);
    return ReadResult::Unusable;
  }
  bytes->assign(file.recordSize * file.records, 0);
  const size_t read = std::fread(bytes->data(), file.recordSize, file.records, f);
  std::fclose(f);
  if (read < file.records) {
    PlatformMessageBox(file.corrupt, kFileCorrupt, MessageBoxOk);
    return ReadResult::Unusable;
  }
  return ReadResult::Good;
}

// Creation, only for a missing file, through the same temporary file as every rewrite, so a
// failed write leaves no partial file behind. A file that could not be made or put in place is
// "not created"; one whose bytes did not all go out "ended abnormally".
void CreateSettingsFile(const SettingsFile& file, const std::vector<uint8_t>& bytes) {
  bool incomplete = false;
  if (PlatformWriteFileAtomic(file.path, bytes.data(), bytes.size(), nullptr, &incomplete)) return;
  PlatformMessageBox(incomplete ? file.createShort : file.createFailed, kWriteFailed, MessageBoxOk);
}

// Before the first rewrite of a file found damaged at start-up, the damaged file is kept beside
// it under the first free name of NAME.bad, NAME.bad1 ... (an older kept file is never
// replaced), so the rewrite loses nothing. False, with the reason, when it could not be kept: the
// file is then not rewritten either, and the next rewrite tries again.
bool KeepDamagedFile(const SettingsFile& file, DamagedFile* mark, std::string* reason) {
  if (!mark->damaged || mark->folder != CurrentFolder()) return true;
  if (!PlatformRegularFileExists(file.path)) {
    mark->damaged = false;  // gone or replaced by something else: nothing of it to keep
    return true;
  }
  for (int n = 0; n < kKeptNames; ++n) {
    const std::string keep = std::string(file.path) + ".bad" + (n == 0 ? std::string() : std::to_string(n));
    bool taken = false;
    if (PlatformKeepFileCopy(file.path, keep.c_str(), &taken, reason)) {
      std::fprintf(stderr, "wexla: %s was damaged; kept it as %s before writing it anew\n", file.path, keep.c_str());
      mark->damaged = false;
      return true;
    }
    if (!taken) {
      *reason = "it was damaged and could not be kept aside (" + *reason + ")";
      return false;
    }
  }
  *reason = "it was damaged and every name to keep it aside is taken";
  return false;
}

// False when the file was not written: the screens go on as if it worked, and one line on
// standard error tells why.
bool RewriteSettingsFile(const SettingsFile& file, DamagedFile* mark, const std::vector<uint8_t>& bytes) {
  std::string reason;
  if (KeepDamagedFile(file, mark, &reason) &&
      PlatformWriteFileAtomic(file.path, bytes.data(), bytes.size(), &reason))
    return true;
  std::fprintf(stderr, "wexla: could not write %s: %s\n", file.path, reason.c_str());
  return false;
}

}  // namespace

void SetDefaultConfig(int fullscreen) {
  for (int32_t& slot : g_config) slot = 0;
  g_config[0] = 0;
  g_config[1] = 1;
  g_config[2] = 2;
  for (int i = 3; i < 16; ++i) g_config[i] = -1;
  g_config[ConfigBgmVolume] = 8000;
  g_config[ConfigSeVolume] = 7800;
  g_config[ConfigDifficulty] = 3;
  g_config[ConfigDifficultyCount] = 4;
  g_config[ConfigFullscreen] = fullscreen ? 1 : 0;
  g_config[ConfigRotate] = 0;
}

HighScoreEntry DefaultHighScoreEntry(int rank) {
  HighScoreEntry e;
  e.scoreLow = (10 - rank) * 10000;
  e.scoreHigh = 0;
  e.item = (10 - rank) * 100;
  e.miss = rank + 1;
  std::memcpy(e.name, "no name ", 8);
  e.stage = 1;
  return e;
}

void SetDefaultHighScores() {
  for (auto& table : g_highScores)
    for (int i = 0; i < kHighScoreEntries; ++i) table[i] = DefaultHighScoreEntry(i);
}

void LoadOrCreateConfigFile() {
  std::vector<uint8_t> bytes;
  const ReadResult result = ReadSettingsFile(kConfigFile, &bytes);
  MarkDamaged(&g_configDamaged, result == ReadResult::Unusable);
  if (result == ReadResult::Good) {
    DecodeConfig(bytes);
    return;
  }
  const int answer = PlatformMessageBox("フルスクリーンで起動しますか？", "確認", MessageBoxYesNoQuestion);
  SetDefaultConfig(answer == MessageBoxAnswerYes ? 1 : 0);
  // A file that exists but cannot be used is left alone: the defaults hold for this run only.
  if (result == ReadResult::Missing) CreateSettingsFile(kConfigFile, EncodeConfig());
}

void LoadOrCreateHighScoreFile() {
  std::vector<uint8_t> bytes;
  const ReadResult result = ReadSettingsFile(kHighScoreFile, &bytes);
  MarkDamaged(&g_highScoresDamaged, result == ReadResult::Unusable);
  if (result == ReadResult::Good) {
    DecodeHighScores(bytes);
    return;
  }
  SetDefaultHighScores();
  if (result == ReadResult::Missing) CreateSettingsFile(kHighScoreFile, EncodeHighScores());
}

void ApplySettingsPrecedence() {
  // No range test: the sound layer leaves a buffer's volume alone for a value outside 0..10000.
  g_bgmVolume = g_cmdBgmVolume != -1 ? g_cmdBgmVolume : g_config[ConfigBgmVolume];
  g_seVolume = g_cmdSeVolume != -1 ? g_cmdSeVolume : g_config[ConfigSeVolume];
  if (g_fullscreen == -1) g_fullscreen = g_config[ConfigFullscreen];
  if (g_rotateScreen == -1) g_rotateScreen = g_config[ConfigRotate];
  // A /j switch replaces the whole map: the others stay -1 from the start-up reset.
  if (!g_cmdPadMapGiven)
    for (int i = 0; i < kPadButtons; ++i) g_padButtonMap[i] = g_config[ConfigPadMap + i];
}

bool WriteConfigFile() { return RewriteSettingsFile(kConfigFile, &g_configDamaged, EncodeConfig()); }

bool WriteHighScoreFile() { return RewriteSettingsFile(kHighScoreFile, &g_highScoresDamaged, EncodeHighScores()); }

int SelectableDifficultyCount() {
  const int count = g_config[ConfigDifficultyCount];
  return (count >= 1 && count <= 8) ? count : 4;
}

int TitleDifficultyFromConfig() {
  const int difficulty = g_config[ConfigDifficulty];
  if (difficulty >= 0 && difficulty < kDifficultyNames) return difficulty;
  return ClampInt(difficulty, 0, SelectableDifficultyCount() - 1);
}
