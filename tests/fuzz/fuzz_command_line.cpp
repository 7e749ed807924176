// The command line: the input holds the arguments, one a line (an argument ends at a zero byte
// as it would in the operating system). The tail is built and parsed, and a game is started
// with the values it set.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "tests/fuzz/FuzzSession.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args{"wexla"};
  std::string arg;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      args.push_back(arg.c_str());  // cut at the first zero byte
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (size == 0) args.pop_back();
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  const std::string tail = BuildCommandLineTail(static_cast<int>(argv.size()), argv.data());
  if (fuzz::StartUp(tail.c_str())) fuzz::PlayFrames(180);
  fuzz::ShutDown();
  return 0;
}
