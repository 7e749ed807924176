#include "platform/Platform.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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

const char kPlatformFileMissing[] = "missing";

namespace {

// A descriptor of the regular file at path opened for reading, or -1 with why set.
int OpenRegularFile(const char* path, uint64_t maxBytes, const char** why) {
  if (!path) {
    *why = kPlatformFileMissing;
    return -1;
  }
  // Without O_NONBLOCK opening a FIFO would wait for a writer; the type is then tested on what
  // was opened, never on the name.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *why = (errno == ENOENT || errno == ENOTDIR) ? kPlatformFileMissing : "unreadable";
    return -1;
  }
  struct stat st;
  const char* refusal = nullptr;
  if (fstat(fd, &st) != 0) {
    refusal = "unreadable";
  } else if (!S_ISREG(st.st_mode)) {
    refusal = "not a regular file";
  } else if (maxBytes > 0 && static_cast<uint64_t>(st.st_size) > maxBytes) {
    refusal = "too large";
  } else {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) refusal = "unreadable";
  }
  if (refusal) {
    close(fd);
    *why = refusal;
    return -1;
  }
  return fd;
}

}  // namespace

std::FILE* PlatformOpenFileForReading(const char* path, const char** why, uint64_t maxBytes) {
  const char* unused = nullptr;
  if (!why) why = &unused;
  const int fd = OpenRegularFile(path, maxBytes, why);
  if (fd < 0) return nullptr;
  std::FILE* f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    *why = "unreadable";
  }
  return f;
}

bool PlatformReadWholeFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>* bytes, const char** why) {
  const char* unused = nullptr;
  if (!why) why = &unused;
  bytes->clear();
  std::FILE* f = PlatformOpenFileForReading(path, why, maxBytes);
  if (!f) return false;
  uint8_t chunk[65536];
  size_t got = 0;
  bool ok = true;
  while (ok && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + got);
    if (maxBytes > 0 && bytes->size() > maxBytes) {  // it grew after it was opened
      *why = "too large";
      ok = false;
    }
  }
  if (ok && std::ferror(f)) {
    *why = "unreadable";
    ok = false;
  }
  std::fclose(f);
  if (!ok) bytes->clear();
  return ok;
}

namespace {

void SetReason(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
}

std::string ErrnoText(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

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

bool PlatformWriteFileAtomic(const char* path, const void* data, size_t size, std::string* reason,
                             bool* incomplete) {
  if (incomplete) *incomplete = false;
  if (!path) return false;
  struct WriteBracket {
    WriteBracket() { PlatformBeginFileWrite(); }
    ~WriteBracket() { PlatformEndFileWrite(); }
  } bracket;
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    SetReason(reason, S_ISDIR(st.st_mode) ? "a folder is in its place" : "something other than a file is in its place");
    return false;
  }
  std::string tmp = std::string(path) + ".tmp";
  // A fresh file of its own: whatever a crash left under the name (a file, a link, a FIFO) is
  // removed first, and never written through.
  unlink(tmp.c_str());
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  std::FILE* f = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (!f) {
    SetReason(reason, ErrnoText(("cannot create " + tmp).c_str(), errno));
    if (fd >= 0) {
      close(fd);
      unlink(tmp.c_str());
    }
    return false;
  }
  errno = 0;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = (std::fflush(f) == 0) && ok;
  int error = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (error == 0) error = errno;
  if (!ok) {
    SetReason(reason, error ? ErrnoText("write failed", error) : std::string("write failed"));
    if (incomplete) *incomplete = true;
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path) != 0) {
    SetReason(reason, ErrnoText(("cannot rename " + tmp).c_str(), errno));
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

bool PlatformKeepFileCopy(const char* path, const char* keep, bool* nameTaken, std::string* reason) {
  if (nameTaken) *nameTaken = false;
  if (!path || !keep) return false;
  struct WriteBracket {
    WriteBracket() { PlatformBeginFileWrite(); }
    ~WriteBracket() { PlatformEndFileWrite(); }
  } bracket;
  // A second link is instant and atomic, and fails rather than replace an existing entry.
  if (link(path, keep) == 0) return true;
  if (errno == EEXIST) {
    if (nameTaken) *nameTaken = true;
    SetReason(reason, ErrnoText(keep, EEXIST));
    return false;
  }
  // A file system without links: copy the bytes into a file that must be new.
  const char* why = nullptr;
  const int in = OpenRegularFile(path, 0, &why);
  if (in < 0) {
    SetReason(reason, "cannot read " + std::string(path) + ": " + why);
    return false;
  }
  const int out = open(keep, O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (out < 0) {
    const int error = errno;
    close(in);
    if (error == EEXIST && nameTaken) *nameTaken = true;
    SetReason(reason, ErrnoText(("cannot create " + std::string(keep)).c_str(), error));
    return false;
  }
  bool ok = true;
  int error = 0;
  char buffer[8192];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ok = false;
      error = errno;
      break;
    }
    for (ssize_t done = 0; ok && done < got;) {
      const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        ok = false;
        error = put < 0 ? errno : EIO;
      } else {
        done += put;
      }
    }
    if (!ok) break;
  }
  if (ok && fsync(out) != 0) {
    ok = false;
    error = errno;
  }
  close(in);
  if (close(out) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(keep);
    SetReason(reason, ErrnoText(("cannot copy to " + std::string(keep)).c_str(), error));
  }
  return ok;
}
