// Every reader of the game's files with something other than a file of its own in its place: a
// FIFO (nobody writes into it), a link to /dev/zero (endless) and a 3 GB sparse file. Each row
// runs in a child process so that a reader that hangs or runs out of memory fails its row and
// not the whole run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "app/Settings.h"
#include "enemy/StageScript.h"
#include "frontend/ReplayData.h"
#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/Random.h"

#if defined(__SANITIZE_ADDRESS__)
#define WEXLA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WEXLA_ASAN 1
#endif
#endif

namespace {

enum class Odd { Fifo, DevZero, Sparse };
constexpr off_t kSparseBytes = off_t{3} << 30;
constexpr long kLargeKiB = 64 * 1024;  // more peak memory than this counts as a large allocation

// Kibibytes of a "VmHWM:" or "VmSize:" line of /proc/self/status.
long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
  return -1;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void PutOddFile(const std::string& path, Odd odd) {
  switch (odd) {
    case Odd::Fifo:
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
      break;
    case Odd::DevZero:
      ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
      break;
    case Odd::Sparse: {
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(ftruncate(fd, kSparseBytes), 0);
      close(fd);
      break;
    }
  }
}

// What the entry at path is; a reader must leave it as it found it.
std::string EntryKind(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return "gone";
  if (S_ISFIFO(st.st_mode)) return "fifo";
  if (S_ISLNK(st.st_mode)) return "link";
  if (S_ISREG(st.st_mode)) return "file of " + std::to_string(st.st_size);
  return "other";
}

struct Reader {
  const char* name;
  const char* file;                    // what the reader reads, in the row's folder
  std::function<void()> prepare;       // in the child, before the clock and the capture
  std::function<std::string()> read;   // the outcome in a few words
  const char* unreadableOutcome;       // FIFO and /dev/zero
  const char* unreadableMessages;
  const char* sparseOutcome;           // the 3 GB file: a fixed-size reader reads its part of it
  const char* sparseMessages;
};

struct RowResult {
  bool answered = false;  // false: killed after the grace time
  bool exitedCleanly = false;
  std::string outcome, messages;
  long micros = -1, peakGrowthKiB = -1;
};

// Runs one reader in a child in its own folder, the odd entry at its file's place.
RowResult RunRow(const Reader& r, Odd odd, const std::string& dir) {
  RowResult result;
  PutOddFile(dir + "/" + r.file, odd);
  const std::string resultPath = dir + "/result.txt";
  const std::string errPath = dir + "/stderr.txt";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(3);
    PlatformSetMessageHook(nullptr);
    PlatformEnableMessageBoxes(false);  // boxes go to standard error only
    PlatformForgetReportedFiles();
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet < 0 || dup2(quiet, 2) < 0) _exit(4);
    r.prepare();  // what it reports (the sounds and images it misses) is not the row's
    std::fflush(stderr);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || dup2(err, 2) < 0) _exit(4);
#ifndef WEXLA_ASAN
    // A hard stop for any large allocation; the sanitizer's shadow memory rules this out there,
    // where the peak below still tells.
    const rlim_t limit = static_cast<rlim_t>(StatusKiB("VmSize:") + 4 * kLargeKiB) * 1024;
    const rlimit as{limit, limit};
    setrlimit(RLIMIT_AS, &as);
#endif
    const long peakBefore = StatusKiB("VmHWM:");
    const auto start = std::chrono::steady_clock::now();
    std::string outcome;
    try {
      outcome = r.read();
    } catch (...) {  // out of memory: the row fails, and the child never returns into the test
      _exit(6);
    }
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
    const long peakAfter = StatusKiB("VmHWM:");
    std::fflush(stderr);
    std::FILE* out = std::fopen(resultPath.c_str(), "w");
    if (!out) _exit(5);
    std::fprintf(out, "%s\n%ld\n%ld\n", outcome.c_str(), static_cast<long>(micros), peakAfter - peakBefore);
    std::fclose(out);
    _exit(0);
  }
  if (pid < 0) return result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  pid_t done = 0;
  while ((done = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (done == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return result;
  }
  result.answered = true;
  result.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::istringstream in(ReadText(resultPath));
  std::getline(in, result.outcome);
  in >> result.micros >> result.peakGrowthKiB;
  result.messages = ReadText(errPath);
  return result;
}

const char kConfigUnreadable[] =
    "[読み込み失敗] コンフィグデータの読み込みに失敗しました。\nデフォルトの設定で起動します。\n\n\n"
    "[確認] フルスクリーンで起動しますか？\n";
const char kHighScoresUnreadable[] =
    "[読み込み失敗] ハイスコアデータの読み込みに失敗しました。\nデフォルトのハイスコアランキングを使用します。\n\n\n";

TEST(FileReaders, OddEntriesInPlaceOfTheFilesAnswerAtOnce) {
  SoundSystem* sound = nullptr;
  Graphics* graphics = nullptr;
  GameWorld* world = nullptr;
  const Reader readers[] = {
      {"config", "config.dat", [] {},
       [] {
         LoadOrCreateConfigFile();
         return "music volume " + std::to_string(g_config[ConfigBgmVolume]);
       },
       "music volume 8000", kConfigUnreadable,
       "music volume 0", ""},  // a long file is read up to its 1024 bytes
      {"high scores", "hiscore.dat", [] {},
       [] {
         LoadOrCreateHighScoreFile();
         return "best " + std::to_string(g_highScores[0][0].scoreLow);
       },
       "best 100000", kHighScoresUnreadable, "best 0", ""},
      {"random table", "rndtbl.dat", [] {}, [] { return std::string(LoadRandomTable() ? "loaded" : "refused"); },
       "refused", "[error] 乱数テーブルが見つかりません\n", "refused", "[error] 乱数テーブルが異常です\n"},
      {"wave", "x.wav",
       [&sound] {
         sound = new SoundSystem;
         sound->Init(nullptr, SoundOutputOffline);
       },
       [&sound] { return std::string(sound->LoadWave("x.wav") ? "sound" : "silence"); },
       "silence", "wexla: x.wav: not a regular file\n", "silence", "wexla: x.wav: not a RIFF WAVE file\n"},
      {"bmp", "x.bmp",
       [&graphics] {
         SelectGraphicsBackend(GraphicsBackendRecording);
         graphics = new Graphics;
         graphics->CreateDirect3D();
         graphics->CreateDevice(nullptr, 0, 0);
       },
       [&graphics] { return std::string(LoadGraphicsTexture(graphics->device, "x.bmp") ? "texture" : "empty slot"); },
       "empty slot", "wexla: x.bmp: not a regular file\n", "empty slot", "wexla: x.bmp: not a BMP\n"},
      {"replay", "replay.dat", [&world] { world = new GameWorld; },
       [&world] { return std::string(LoadPlaybackReplay(world, "replay.dat") ? "playback" : "live game"); },
       "live game", "wexla: replay.dat: not a regular file\n", "live game",
       "wexla: replay.dat: not a usable replay\n"},
      {"stage", "st01.txt", [] {},
       [] {
         StageScript script(1);
         return std::to_string(script.eventCount) + " events";
       },
       "0 events", "wexla: st01.txt: not a regular file\n", "0 events", "wexla: st01.txt: too large\n"},
  };
  const struct {
    Odd odd;
    const char* name;
  } odds[] = {{Odd::Fifo, "fifo"}, {Odd::DevZero, "link to /dev/zero"}, {Odd::Sparse, "3 GB sparse file"}};
  for (const Reader& r : readers) {
    for (const auto& o : odds) {
      SCOPED_TRACE(std::string(r.name) + ", " + o.name);
      std::string pattern = testing::TempDir() + "wexla_readers_XXXXXX";
      ASSERT_NE(mkdtemp(pattern.data()), nullptr);
      const std::string path = pattern + "/" + r.file;
      const RowResult got = RunRow(r, o.odd, pattern);
      const std::string kindAfter = EntryKind(path);
      std::filesystem::remove_all(pattern);
      if (!got.answered || !got.exitedCleanly) {
        ADD_FAILURE() << (got.answered ? "the reader died (out of memory?)" : "no answer within 10 s");
        continue;
      }
      const bool sparse = o.odd == Odd::Sparse;
      EXPECT_EQ(got.outcome, sparse ? r.sparseOutcome : r.unreadableOutcome);
      EXPECT_EQ(got.messages, sparse ? r.sparseMessages : r.unreadableMessages);
      EXPECT_LT(got.micros, 1000000);
      EXPECT_LT(got.peakGrowthKiB, kLargeKiB);
      const char* kindBefore = o.odd == Odd::Fifo ? "fifo" : (sparse ? "file of 3221225472" : "link");
      EXPECT_EQ(kindAfter, kindBefore);  // left alone
    }
  }
}

}  // namespace
