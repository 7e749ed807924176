#pragma once
// The benchmark's processes and folders: the copy of the game folder it plays from, the guard
// that removes it however the benchmark ends, the programs it times, and an X server of its own.

#include <functional>
#include <string>
#include <vector>

// A new folder under $TMPDIR (else /tmp) holding links to the game's data in gameDir and copies
// of the named programs: a replay named on a program's command line makes the program's own
// folder the current one, so the games played from here write their files here. Empty on
// failure (nothing is left then).
std::string MakeGameCopy(const std::string& gameDir, const std::vector<std::string>& programs);

// Runs body in a child process (a process group of its own) and returns its exit status, 128 +
// the signal when a signal ended it. SIGINT, SIGTERM and SIGHUP are passed on to it. When it
// ends, however it ends, whatever it left running is killed and the folder `work` removed.
int RunGuarded(const std::string& work, const std::function<int()>& body);

// The environment of this process with some variables set ("NAME=VALUE") or removed ("NAME").
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes);

struct ChildResult {
  bool ok = false;       // ran and exited with status 0
  double wallS = 0;      // from the start to the exit
  double maxRssMb = 0;   // peak resident memory
  double firstLineS = 0; // from the start to its first line on standard output (0: none)
  std::string firstLine;
  std::string error;     // why it is not ok
};

// Runs a program to its end (killed after timeoutS), its standard error into errorFile (else
// /dev/null; the error of a failed run quotes its last line). Its first line of standard output
// is kept with the time it came; the rest is read and dropped.
ChildResult RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env, double timeoutS,
                     const std::string& errorFile = "");

// An X server for the windowed runs: the display of the environment, else an Xvfb of its own
// (on a free display it picks itself, as the window test starts it).
struct XDisplay {
  std::string name;     // ":N"; empty when there is none
  bool started = false; // an Xvfb of ours
  std::string why;      // why there is none
  int pid = 0;
};
XDisplay OpenXDisplay();
void CloseXDisplay(XDisplay* d);
