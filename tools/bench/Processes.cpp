#include "tools/bench/Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

double NowS() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

bool IsGameData(const std::string& name) {
  if (name == "img" || name == "se" || name == "bgm" || name == "rndtbl.dat") return true;
  return name.size() == 8 && name.compare(0, 2, "st") == 0 && name.compare(4, 4, ".txt") == 0;
}

volatile sig_atomic_t g_worker = 0;

void PassOn(int sig) {
  if (g_worker > 0) kill(-g_worker, sig);
}

struct Spawned {
  pid_t pid = 0;
  int out = -1;  // the read end of its standard output (or of the descriptor asked for)
  int error = 0;
};

// Starts args[0] (looked up in PATH when `search`) with the pipe's write end as descriptor
// outFd, standard error into errorFile (else /dev/null) and standard output, when outFd is not
// 1, on /dev/null.
Spawned Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int outFd, bool search,
              const std::string& errorFile = "") {
  Spawned s;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    s.error = errno;
    return s;
  }
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd != 1) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (errorFile.empty())
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, fds[1], outFd);
  s.error = search ? posix_spawnp(&s.pid, argv[0], &actions, nullptr, argv.data(), envp.data())
                   : posix_spawn(&s.pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (s.error != 0) {
    close(fds[0]);
    s.pid = 0;
    return s;
  }
  s.out = fds[0];
  return s;
}

// Reads fd until its first line is whole (true) or it closes or the deadline passes (false).
bool ReadLine(int fd, double deadline, std::string* line, bool* closed) {
  std::string got;
  for (;;) {
    const size_t end = got.find('\n');
    if (end != std::string::npos) {
      *line = got.substr(0, end);
      return true;
    }
    const double left = deadline - NowS();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left * 1000) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *closed = true;
      return false;
    }
    got.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

std::string MakeGameCopy(const std::string& gameDir, const std::vector<std::string>& programs) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/wexla-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) return "";
  const fs::path work(pattern);
  std::error_code ec;
  bool ok = true;
  for (const auto& entry : fs::directory_iterator(gameDir, ec)) {
    if (!IsGameData(entry.path().filename().string())) continue;
    fs::create_symlink(entry.path(), work / entry.path().filename(), ec);
    ok = ok && !ec;
  }
  for (const std::string& p : programs) {
    fs::copy_file(fs::path(gameDir) / p, work / p, ec);
    ok = ok && !ec;
    fs::permissions(work / p, fs::perms::owner_all, fs::perm_options::add, ec);
  }
  if (!ok) {
    fs::remove_all(work, ec);
    return "";
  }
  return work.string();
}

int RunGuarded(const std::string& work, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // the guard itself killed: nothing runs on alone
    const int rc = body();
    std::fflush(nullptr);
    std::exit(rc);
  }
  int rc = 1;
  if (pid > 0) {
    setpgid(pid, pid);
    g_worker = pid;
    struct sigaction pass {};
    pass.sa_handler = PassOn;
    sigemptyset(&pass.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &pass, nullptr);
    // Waited for without reaping, so its process group is still its own when it is killed.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    g_worker = 0;
    rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  return rc;
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.push_back(*e);
  for (const std::string& change : changes) {
    const std::string name = change.substr(0, change.find('='));
    std::erase_if(env, [&](const std::string& e) { return e.compare(0, name.size() + 1, name + "=") == 0; });
    if (change.find('=') != std::string::npos) env.push_back(change);
  }
  return env;
}

// The last line of a file that is not empty.
std::string LastLine(const std::string& path) {
  std::string last, line;
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return last;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, f)) {
    line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) last = line;
  }
  std::fclose(f);
  return last;
}

ChildResult RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env, double timeoutS,
                     const std::string& errorFile) {
  ChildResult c;
  const double start = NowS();
  const Spawned s = Spawn(args, env, 1, false, errorFile);
  if (!s.pid) {
    c.error = std::string("cannot start: ") + std::strerror(s.error);
    return c;
  }
  const double deadline = start + timeoutS;
  bool closed = false;
  if (ReadLine(s.out, deadline, &c.firstLine, &closed)) c.firstLineS = NowS() - start;
  // The rest of its output, to its end.
  char buffer[4096];
  while (!closed && NowS() < deadline) {
    pollfd p{s.out, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>((deadline - NowS()) * 1000) + 1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    const ssize_t n = read(s.out, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    closed = n <= 0;
  }
  close(s.out);
  if (!closed) kill(s.pid, SIGKILL);
  int status = 0;
  rusage usage{};
  while (wait4(s.pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  c.wallS = NowS() - start;
  c.maxRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  c.ok = closed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  char why[96] = "";
  if (!closed)
    std::snprintf(why, sizeof why, "did not end within %.0f s", timeoutS);
  else if (WIFSIGNALED(status))
    std::snprintf(why, sizeof why, "ended by signal %d", WTERMSIG(status));
  else if (!c.ok)
    std::snprintf(why, sizeof why, "exit status %d", WEXITSTATUS(status));
  c.error = why;
  if (!c.ok && !errorFile.empty()) {
    const std::string last = LastLine(errorFile);
    if (!last.empty()) c.error += " (" + last + ")";
  }
  return c;
}

XDisplay OpenXDisplay() {
  XDisplay d;
  const char* env = std::getenv("DISPLAY");
  if (env && *env) {
    d.name = env;
    return d;
  }
  const Spawned s = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                          EnvironmentWith({}), 3, true);
  if (!s.pid) {
    d.why = s.error == ENOENT ? "no DISPLAY, and Xvfb is not installed" : "Xvfb could not be started";
    return d;
  }
  d.pid = s.pid;
  d.started = true;
  std::string line;
  bool closed = false;
  const bool got = ReadLine(s.out, NowS() + 15, &line, &closed);
  close(s.out);
  if (!got || line.empty() || line.find_first_not_of("0123456789") != std::string::npos) {
    CloseXDisplay(&d);
    d.why = "Xvfb gave no display";
    return d;
  }
  d.name = ":" + line;
  return d;
}

void CloseXDisplay(XDisplay* d) {
  if (d->started && d->pid > 0) {
    kill(d->pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && waitpid(d->pid, &status, WNOHANG) == 0; ++i) usleep(100000);
    if (waitpid(d->pid, &status, WNOHANG) == 0) {
      kill(d->pid, SIGKILL);
      waitpid(d->pid, &status, 0);
    }
  }
  d->pid = 0;
  d->started = false;
  d->name.clear();
}
