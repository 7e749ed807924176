#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "platform/Input.h"
#include "platform/Platform.h"

namespace {

struct Message {
  std::string caption;
  std::string text;
  MessageBoxStyle style;
};

std::vector<Message> g_messages;
int g_answer = MessageBoxAnswerNo;

int RecordMessage(const char* text, const char* caption, MessageBoxStyle style) {
  g_messages.push_back({caption, text, style});
  return style == MessageBoxYesNoQuestion ? g_answer : MessageBoxAnswerOk;
}

std::vector<std::string> Captions() {
  std::vector<std::string> c;
  for (const Message& m : g_messages) c.push_back(m.caption);
  return c;
}

std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int32_t LE32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                              (static_cast<uint32_t>(b[at + 3]) << 24));
}

void PutLE32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

// Runs every test in a fresh temporary folder, with boxes answered by the hook.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startDir_ = std::filesystem::current_path();
    char dirTemplate[] = "/tmp/wexla-settings-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    tempDir_ = dirTemplate;
    std::filesystem::current_path(tempDir_);
    ResetCommandLineValues();
    for (int32_t& slot : g_config) slot = 12345;  // anything the loaders must overwrite
    g_messages.clear();
    g_answer = MessageBoxAnswerNo;
    PlatformSetMessageHook(RecordMessage);
  }
  void TearDown() override {
    PlatformSetMessageHook(nullptr);
    std::filesystem::current_path(startDir_);
    std::filesystem::remove_all(tempDir_);
  }
  std::filesystem::path startDir_;
  std::filesystem::path tempDir_;
};

void ExpectDefaultConfig(int fullscreen) {
  const int32_t pad[16] = {0, 1, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_config[i], pad[i]) << i;
  EXPECT_EQ(g_config[16], 8000);
  EXPECT_EQ(g_config[17], 7800);
  EXPECT_EQ(g_config[18], 3);
  EXPECT_EQ(g_config[19], 4);
  EXPECT_EQ(g_config[20], fullscreen);
  EXPECT_EQ(g_config[21], 0);
  for (int i = 22; i < 256; ++i) EXPECT_EQ(g_config[i], 0) << i;
}

void ExpectDefaultHighScores() {
  for (int t = 0; t < kHighScoreTables; ++t) {
    for (int i = 0; i < kHighScoreEntries; ++i) {
      const HighScoreEntry& e = g_highScores[t][i];
      EXPECT_EQ(e.scoreLow, (10 - i) * 10000);
      EXPECT_EQ(e.scoreHigh, 0);
      EXPECT_EQ(e.item, (10 - i) * 100);
      EXPECT_EQ(e.miss, i + 1);
      EXPECT_EQ(std::memcmp(e.name, "no name ", 8), 0);
      EXPECT_EQ(e.stage, 1);
    }
  }
}

TEST_F(SettingsTest, MissingConfigIsCreatedWithTheDefaultBytes) {
  for (int answer : {MessageBoxAnswerYes, MessageBoxAnswerNo}) {
    std::remove("config.dat");
    g_messages.clear();
    g_answer = answer;
    LoadOrCreateConfigFile();
    ASSERT_EQ(g_messages.size(), 2u);
    EXPECT_EQ(g_messages[0].caption, "読み込み失敗");
    EXPECT_EQ(g_messages[0].text, "コンフィグデータが見つかりません。\nコンフィグデータを作成します。\n\n");
    EXPECT_EQ(g_messages[0].style, MessageBoxOkInformation);
    EXPECT_EQ(g_messages[1].caption, "確認");
    EXPECT_EQ(g_messages[1].text, "フルスクリーンで起動しますか？");
    EXPECT_EQ(g_messages[1].style, MessageBoxYesNoQuestion);
    const int fullscreen = answer == MessageBoxAnswerYes ? 1 : 0;
    ExpectDefaultConfig(fullscreen);
    const std::vector<uint8_t> bytes = ReadBytes("config.dat");
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(LE32(bytes, 0), 0);
    EXPECT_EQ(LE32(bytes, 4), 1);
    EXPECT_EQ(LE32(bytes, 12), -1);
    EXPECT_EQ(bytes[12], 0xFF);
    EXPECT_EQ(LE32(bytes, 64), 8000);
    EXPECT_EQ(bytes[64], 0x40);  // 8000 = 0x1F40, low byte first
    EXPECT_EQ(bytes[65], 0x1F);
    EXPECT_EQ(LE32(bytes, 68), 7800);
    EXPECT_EQ(LE32(bytes, 72), 3);
    EXPECT_EQ(LE32(bytes, 76), 4);
    EXPECT_EQ(LE32(bytes, 80), fullscreen);
    for (size_t at = 84; at < 1024; ++at) EXPECT_EQ(bytes[at], 0) << at;
  }
}

TEST_F(SettingsTest, ConfigReadWholeOrNotAtAll) {
  std::vector<uint8_t> good(1024);
  for (int i = 0; i < 256; ++i) PutLE32(good, 4 * i, i * 1000 - 70000);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool directory;
    std::vector<std::string> captions;  // empty: read as it stands
  } cases[] = {
      {"exact", good, false, {}},
      {"long", [&] { auto b = good; b.resize(1030, 0xAB); return b; }(), false, {}},
      {"short", std::vector<uint8_t>(1000, 0x11), false, {"ファイル異常", "確認"}},
      {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1), false, {"ファイル異常", "確認"}},
      {"empty", {}, false, {"ファイル異常", "確認"}},
      {"folder", {}, true, {"読み込み失敗", "確認"}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all("config.dat");
    if (c.directory) {
      ASSERT_EQ(mkdir("config.dat", 0755), 0);
    } else {
      WriteBytes("config.dat", c.bytes);
    }
    g_messages.clear();
    g_answer = MessageBoxAnswerYes;
    LoadOrCreateConfigFile();
    EXPECT_EQ(Captions(), c.captions) << c.name;
    if (c.captions.empty()) {
      for (int i = 0; i < 256; ++i) ASSERT_EQ(g_config[i], i * 1000 - 70000) << c.name << i;
    } else {
      ExpectDefaultConfig(1);
      if (c.directory) {
        EXPECT_EQ(g_messages[0].text,
                  "コンフィグデータの読み込みに失敗しました。\nデフォルトの設定で起動します。\n\n");
        EXPECT_EQ(g_messages[0].style, MessageBoxOkWarning);
      } else {
        EXPECT_EQ(g_messages[0].text, "コンフィグデータが異常です。\nデフォルトのコンフィグデータを使用します。");
        EXPECT_EQ(g_messages[0].style, MessageBoxOk);
      }
    }
    // A file that is there is never rewritten at start-up.
    if (c.directory) {
      EXPECT_TRUE(std::filesystem::is_directory("config.dat"));
    } else {
      EXPECT_EQ(ReadBytes("config.dat"), c.bytes) << c.name;
    }
  }
}

TEST_F(SettingsTest, MissingHighScoresAreCreated) {
  LoadOrCreateHighScoreFile();
  ASSERT_EQ(g_messages.size(), 1u);  // no question for this file
  EXPECT_EQ(g_messages[0].caption, "読み込み失敗");
  EXPECT_EQ(g_messages[0].text, "ハイスコアデータが見つかりません。\nハイスコアデータを作成します。\n\n");
  ExpectDefaultHighScores();
  const std::vector<uint8_t> bytes = ReadBytes("hiscore.dat");
  ASSERT_EQ(bytes.size(), 17920u);
  for (int t = 0; t < 64; ++t) {
    const size_t at = 280 * t;
    EXPECT_EQ(LE32(bytes, at), 100000);
    EXPECT_EQ(LE32(bytes, at + 4), 0);
    EXPECT_EQ(LE32(bytes, at + 8), 1000);
    EXPECT_EQ(LE32(bytes, at + 12), 1);
    EXPECT_EQ(std::string(bytes.begin() + at + 16, bytes.begin() + at + 24), "no name ");
    EXPECT_EQ(LE32(bytes, at + 24), 1);
    EXPECT_EQ(LE32(bytes, at + 9 * 28), 10000);   // the tenth entry
    EXPECT_EQ(LE32(bytes, at + 9 * 28 + 12), 10);
  }
  // Loaded back as it was written.
  g_messages.clear();
  g_highScores[5][3].scoreLow = 7;
  LoadOrCreateHighScoreFile();
  EXPECT_TRUE(g_messages.empty());
  ExpectDefaultHighScores();
}

TEST_F(SettingsTest, HighScoresReadWholeOrDefaults) {
  std::vector<uint8_t> good(17920);
  for (size_t i = 0; i < good.size(); ++i) good[i] = static_cast<uint8_t>(i * 7);
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool directory;
    const char* caption;  // null: read as it stands
    const char* text;
  } cases[] = {
      {"exact", good, false, nullptr, nullptr},
      {"long", [&] { auto b = good; b.push_back(1); return b; }(), false, nullptr, nullptr},
      {"short", std::vector<uint8_t>(good.begin(), good.end() - 28), false, "ファイル異常",
       "ハイスコアデータが異常です。\nデフォルトのハイスコアランキングを使用します。"},
      {"folder", {}, true, "読み込み失敗",
       "ハイスコアデータの読み込みに失敗しました。\nデフォルトのハイスコアランキングを使用します。\n\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all("hiscore.dat");
    if (c.directory) {
      ASSERT_EQ(mkdir("hiscore.dat", 0755), 0);
    } else {
      WriteBytes("hiscore.dat", c.bytes);
    }
    g_messages.clear();
    LoadOrCreateHighScoreFile();
    if (!c.caption) {
      EXPECT_TRUE(g_messages.empty()) << c.name;
      // Field by field, little-endian, at 28 bytes a record.
      const HighScoreEntry& e = g_highScores[63][9];
      const size_t at = (63 * 10 + 9) * 28;
      EXPECT_EQ(e.scoreLow, LE32(good, at));
      EXPECT_EQ(e.miss, LE32(good, at + 12));
      EXPECT_EQ(std::memcmp(e.name, good.data() + at + 16, 8), 0);
      EXPECT_EQ(e.stage, LE32(good, at + 24));
      // And written back byte for byte.
      ASSERT_TRUE(WriteHighScoreFile());
      EXPECT_EQ(ReadBytes("hiscore.dat"), good) << c.name;
    } else {
      ASSERT_EQ(g_messages.size(), 1u) << c.name;
      EXPECT_EQ(g_messages[0].caption, c.caption);
      EXPECT_EQ(g_messages[0].text, c.text);
      ExpectDefaultHighScores();
      if (!c.directory) {
        EXPECT_EQ(ReadBytes("hiscore.dat"), c.bytes) << c.name;
      }
    }
  }
}

TEST_F(SettingsTest, RewritesReplaceTheFileWholeAndTellFailuresOnStandardError) {
  SetDefaultConfig(0);
  g_config[200] = -2;
  WriteBytes("config.dat", std::vector<uint8_t>(10, 0x55));
  ASSERT_TRUE(WriteConfigFile());
  const std::vector<uint8_t> bytes = ReadBytes("config.dat");
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(LE32(bytes, 800), -2);
  EXPECT_FALSE(std::filesystem::exists("config.dat.tmp"));

  std::filesystem::remove("config.dat");
  ASSERT_EQ(mkdir("config.dat", 0755), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteConfigFile());
  ASSERT_EQ(mkdir("hiscore.dat.tmp", 0755), 0);
  EXPECT_FALSE(WriteHighScoreFile());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "wexla: could not write config.dat: a folder is in its place\n"
            "wexla: could not write hiscore.dat: cannot create hiscore.dat.tmp: File exists\n");
  EXPECT_TRUE(std::filesystem::is_directory("config.dat"));
  EXPECT_TRUE(g_messages.empty());  // no box
}

// Runs in a death test's child, where no file may grow past 100 bytes (the process is not ended
// for it; standard error is such a file too, so the result is the exit code): 0 when the last box
// was lastBox and neither the file nor its temporary was left, else 1, 2 or 3.
void LoadWithFilesCutShort(void (*load)(), const char* file, const char* lastBox) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit small{100, 100};
  setrlimit(RLIMIT_FSIZE, &small);
  load();
  if (g_messages.empty() || g_messages.back().caption != "書き込み失敗" || g_messages.back().text != lastBox)
    _exit(1);
  if (access(file, F_OK) == 0) _exit(2);
  _exit(access((std::string(file) + ".tmp").c_str(), F_OK) == 0 ? 3 : 0);
}

// The first-start write goes through a temporary file too: when it fails, neither the file nor
// a temporary is left, and the box says whether the file could not be made or not be finished.
TEST_F(SettingsTest, FailedFirstStartWritesLeaveNothingBehind) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child writes into this test's folder
  const struct {
    const char* file;
    void (*load)();
    const char* notCreated;
    const char* notFinished;
  } files[] = {
      {"config.dat", LoadOrCreateConfigFile,
       "コンフィグデータの作成に失敗しました。\nアクセス権限やフォルダの属性等を確認して下さい。\n\n",
       "コンフィグデータの作成が異常終了しました。\n\n"},
      {"hiscore.dat", LoadOrCreateHighScoreFile,
       "ハイスコアデータの作成に失敗しました。\nアクセス権限やフォルダの属性等を確認して下さい。\n\n",
       "ハイスコアデータの作成が異常終了しました。\n\n"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    const std::string tmp = std::string(f.file) + ".tmp";
    EXPECT_EXIT(LoadWithFilesCutShort(f.load, f.file, f.notFinished), testing::ExitedWithCode(0), "");
    EXPECT_FALSE(std::filesystem::exists(f.file));

    // Not made at all: a folder holds the temporary file's name.
    ASSERT_EQ(mkdir(tmp.c_str(), 0755), 0);
    g_messages.clear();
    f.load();
    ASSERT_FALSE(g_messages.empty());
    EXPECT_EQ(g_messages.back().caption, "書き込み失敗");
    EXPECT_EQ(g_messages.back().text, f.notCreated);
    EXPECT_FALSE(std::filesystem::exists(f.file));
    EXPECT_TRUE(std::filesystem::is_directory(tmp));  // not ours to remove
    std::filesystem::remove(tmp);
  }
}

// A damaged config.dat (short, or not a file that can be read) is kept beside before its first
// rewrite; with every name to keep it taken it is not rewritten at all.
TEST_F(SettingsTest, DamagedConfigIsKeptBesideBeforeItsFirstRewrite) {
  const std::vector<uint8_t> damaged(1000, 0x11);
  WriteBytes("config.dat", damaged);
  LoadOrCreateConfigFile();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(WriteConfigFile());
  ASSERT_TRUE(WriteConfigFile());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "wexla: config.dat was damaged; kept it as config.dat.bad before writing it anew\n");
  EXPECT_EQ(ReadBytes("config.dat.bad"), damaged);
  EXPECT_EQ(ReadBytes("config.dat").size(), 1024u);
  EXPECT_FALSE(std::filesystem::exists("config.dat.bad1"));

  // A good file loaded later is never kept.
  LoadOrCreateConfigFile();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(WriteConfigFile());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // Every name taken (a folder counts): nothing is replaced, the damaged file stays.
  std::filesystem::remove("config.dat.bad");
  ASSERT_EQ(mkdir("config.dat.bad", 0755), 0);
  for (int n = 1; n < 100; ++n) WriteBytes(("config.dat.bad" + std::to_string(n)).c_str(), {7});
  WriteBytes("config.dat", damaged);
  LoadOrCreateConfigFile();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteConfigFile());
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("could not write config.dat: it was damaged and every name"), std::string::npos) << err;
  EXPECT_EQ(ReadBytes("config.dat"), damaged);
  EXPECT_EQ(ReadBytes("config.dat.bad99"), std::vector<uint8_t>{7});
  // Once a name is free again the next rewrite keeps it there.
  std::filesystem::remove("config.dat.bad42");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(WriteConfigFile());
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadBytes("config.dat.bad42"), damaged);
}

// The kept copy is a second link where the folder allows it and a byte copy across file systems;
// either way an existing entry of the kept name is never replaced.
TEST_F(SettingsTest, KeptCopiesNeverReplaceAnEntry) {
  struct stat here {}, shm {};
  const bool otherFileSystem = stat(".", &here) == 0 && stat("/dev/shm", &shm) == 0 && here.st_dev != shm.st_dev;
  char shmTemplate[] = "/dev/shm/wexla-keep-XXXXXX";
  const std::string shmDir = otherFileSystem && mkdtemp(shmTemplate) ? shmTemplate : "";
  const std::vector<uint8_t> bytes = {1, 2, 3, 0, 255};
  std::vector<std::string> sources = {"source.dat"};
  if (!shmDir.empty()) sources.push_back(shmDir + "/source.dat");
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    WriteBytes(source.c_str(), bytes);
    std::filesystem::remove("kept.dat");
    bool taken = true;
    std::string reason;
    ASSERT_TRUE(PlatformKeepFileCopy(source.c_str(), "kept.dat", &taken, &reason)) << reason;
    EXPECT_FALSE(taken);
    EXPECT_EQ(ReadBytes("kept.dat"), bytes);
    EXPECT_EQ(ReadBytes(source.c_str()), bytes);
    WriteBytes("other.dat", {9});
    EXPECT_FALSE(PlatformKeepFileCopy(source.c_str(), "other.dat", &taken, &reason));
    EXPECT_TRUE(taken);
    EXPECT_EQ(ReadBytes("other.dat"), std::vector<uint8_t>{9});
  }
  if (!shmDir.empty()) std::filesystem::remove_all(shmDir);
}

TEST_F(SettingsTest, PrecedenceOfSwitchesOverTheFile) {
  SetDefaultConfig(1);
  g_config[ConfigRotate] = 1;
  for (int i = 0; i < 16; ++i) g_config[i] = i + 3;

  // Nothing given: everything from the file.
  ApplySettingsPrecedence();
  EXPECT_EQ(g_bgmVolume, 8000);
  EXPECT_EQ(g_seVolume, 7800);
  EXPECT_EQ(g_fullscreen, 1);
  EXPECT_EQ(g_rotateScreen, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_padButtonMap[i], i + 3);

  // Switches win; a /j switch replaces the whole map.
  ResetCommandLineValues();
  ASSERT_TRUE(ParseCommandLine("/bv0 /sv20000 /wnd /nrm /jB7"));
  ApplySettingsPrecedence();
  EXPECT_EQ(g_bgmVolume, 0);
  EXPECT_EQ(g_seVolume, 20000);  // as written: the sound layer leaves the volume alone
  EXPECT_EQ(g_cmdSeVolume, 20000);
  EXPECT_EQ(g_fullscreen, 0);
  EXPECT_EQ(g_rotateScreen, 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_padButtonMap[i], i == 1 ? 7 : -1) << i;

  // Volumes from the file are taken as written too.
  ResetCommandLineValues();
  g_config[ConfigBgmVolume] = 50000;
  g_config[ConfigSeVolume] = -300;
  ASSERT_TRUE(ParseCommandLine("/bv-1"));  // -1 still means "not given"
  ApplySettingsPrecedence();
  EXPECT_EQ(g_bgmVolume, 50000);
  EXPECT_EQ(g_seVolume, -300);
  EXPECT_EQ(g_config[ConfigBgmVolume], 50000);
  // Out-of-range map values pass through unchanged (they read no button).
  g_config[0] = 99;
  ApplySettingsPrecedence();
  EXPECT_EQ(g_padButtonMap[0], 99);
}

TEST_F(SettingsTest, DifficultyFromADamagedFile) {
  const struct {
    int32_t difficulty, count;
    int wantCount, wantDifficulty;
  } cases[] = {
      // 0..15 as written, whatever the count; anything else clamped into the selectable ones.
      {3, 4, 4, 3},   {7, 8, 8, 7},   {0, 1, 1, 0},   {5, 1, 1, 5},    {3, 0, 4, 3},
      {3, -5, 4, 3},  {9, 9, 4, 9},   {15, 4, 4, 15}, {16, 4, 4, 3},   {-1, 4, 4, 0},
      {63, 5, 5, 4},  {INT32_MIN, INT32_MIN, 4, 0},   {INT32_MAX, INT32_MAX, 4, 3},
  };
  for (const auto& c : cases) {
    g_config[ConfigDifficulty] = c.difficulty;
    g_config[ConfigDifficultyCount] = c.count;
    EXPECT_EQ(SelectableDifficultyCount(), c.wantCount) << c.count;
    EXPECT_EQ(TitleDifficultyFromConfig(), c.wantDifficulty) << c.difficulty << "/" << c.count;
    EXPECT_EQ(g_config[ConfigDifficultyCount], c.count);  // the file's value is kept
  }
}

}  // namespace
