#include "platform/Platform.h"

#include <SDL.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <set>
#include <string>

namespace {
bool g_messageBoxesEnabled = true;
PlatformClockFn g_clock = nullptr;
PlatformSleepFn g_sleep = nullptr;
PlatformMessageHook g_messageHook = nullptr;
}  // namespace

void PlatformEnableMessageBoxes(bool enabled) { g_messageBoxesEnabled = enabled; }

void PlatformSetMessageHook(PlatformMessageHook hook) { g_messageHook = hook; }

int PlatformMessageBox(const char* text, const char* caption, MessageBoxStyle style) {
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  const bool question = style == MessageBoxYesNoQuestion;
  const int fallback = question ? MessageBoxAnswerNo : MessageBoxAnswerOk;
  if (g_messageHook) return g_messageHook(text, caption, style);
  if (!g_messageBoxesEnabled) return fallback;

  SDL_MessageBoxButtonData buttons[2];
  int count = 0;
  if (question) {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, MessageBoxAnswerYes, "Yes"};
    buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, MessageBoxAnswerNo, "No"};
    count = 2;
  } else {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                  MessageBoxAnswerOk, "OK"};
    count = 1;
  }
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  if (style == MessageBoxOk) flags = SDL_MESSAGEBOX_ERROR;
  if (style == MessageBoxOkWarning) flags = SDL_MESSAGEBOX_WARNING;
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = nullptr;  // boxes have no owner window
  data.title = caption;
  data.message = text;
  data.numbuttons = count;
  data.buttons = buttons;
  int answer = fallback;
  if (SDL_ShowMessageBox(&data, &answer) != 0 || answer < 0) return fallback;
  return answer;
}

uint32_t PlatformMilliseconds() {
  if (g_clock) return g_clock();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void PlatformSleepMilliseconds(uint32_t ms) {
  if (g_sleep) return g_sleep(ms);
  if (g_clock) return;  // the virtual clock never waits
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

void PlatformSetClock(PlatformClockFn clock) { g_clock = clock; }

void PlatformSetSleep(PlatformSleepFn sleep) { g_sleep = sleep; }

namespace {
std::set<std::string>& ReportedFiles() {
  static std::set<std::string> files;
  return files;
}
}  // namespace

void PlatformReportUnloadableFile(const char* path, const char* reason) {
  if (!path || !ReportedFiles().insert(path).second) return;
  std::fprintf(stderr, "wexla: %s: %s\n", path, reason ? reason : "unreadable");
}

void PlatformForgetReportedFiles() { ReportedFiles().clear(); }

bool PlatformFileExists(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0;
}

bool PlatformRegularFileExists(const char* path) {
  struct stat st;
  return path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

std::FILE* PlatformOpenFile(const char* path, const char* mode) {
  if (!path) return nullptr;
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) return nullptr;
  return std::fopen(path, mode);
}

namespace {
// Lock-free atomics: safe in a handler, and seen by the audio thread should the signal land there.
std::atomic<int> g_fileWrites{0};
std::atomic<int> g_pendingSignal{0};

// Ends the program as the signal's default action would. Inside the handler the signal is
// blocked, so it is unblocked first.
[[noreturn]] void DieBySignal(int sig) {
  signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);  // not reached
}

void OnTerminationSignal(int sig) {
  if (g_fileWrites.load() > 0) {
    g_pendingSignal.store(sig);
    return;
  }
  DieBySignal(sig);
}
}  // namespace

void PlatformInstallTerminationHandlers() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void PlatformBeginFileWrite() { g_fileWrites.fetch_add(1); }

void PlatformEndFileWrite() {
  if (g_fileWrites.fetch_sub(1) == 1) {
    const int sig = g_pendingSignal.exchange(0);
    if (sig != 0) DieBySignal(sig);
  }
}

bool PlatformWriteFileAtomic(const char* path, const void* data, size_t size) {
  if (!path) return false;
  struct WriteBracket {
    WriteBracket() { PlatformBeginFileWrite(); }
    ~WriteBracket() { PlatformEndFileWrite(); }
  } bracket;
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) return false;
  std::string tmp = std::string(path) + ".tmp";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(tmp.c_str(), path) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}
