// Operating-system services: termination signals around file writes.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/Platform.h"

namespace {

// Runs in the death test's child: a signal inside the writes' brackets is held until the last
// one closes; "inside" is printed after the signal, "after" only if the program survived it.
void RaiseInsideWrites(int sig, int depth) {
  PlatformInstallTerminationHandlers();
  for (int i = 0; i < depth; ++i) PlatformBeginFileWrite();
  raise(sig);
  std::fputs("inside", stderr);
  for (int i = 0; i < depth; ++i) PlatformEndFileWrite();
  std::fputs("after", stderr);
  std::fflush(stderr);
  _exit(0);
}

TEST(TerminationSignals, EndAtOnceOrRightAfterTheWrite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    EXPECT_EXIT(RaiseInsideWrites(sig, 0), testing::KilledBySignal(sig), "^$");
    EXPECT_EXIT(RaiseInsideWrites(sig, 1), testing::KilledBySignal(sig), "^inside$");
    EXPECT_EXIT(RaiseInsideWrites(sig, 2), testing::KilledBySignal(sig), "^inside$");  // nested
  }
}

// A signal during the atomic writer is held until the file is in place under its name.
TEST(TerminationSignals, AtomicWriteFinishesBeforeTheProgramEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The death test's child runs this test again from the start: a fixed name in the test's
  // working folder, which only this test uses.
  static const std::string path = "termination_signal_write.dat";
  std::remove(path.c_str());
  EXPECT_EXIT(
      {
        PlatformInstallTerminationHandlers();
        PlatformBeginFileWrite();  // stands for a signal arriving while the bytes go out
        raise(SIGTERM);
        const bool ok = PlatformWriteFileAtomic(path.c_str(), "0123456789", 10);
        std::fputs(ok ? "written" : "failed", stderr);
        PlatformEndFileWrite();
        _exit(0);
      },
      testing::KilledBySignal(SIGTERM), "^written$");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[16] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 10u);
  std::fclose(f);
  EXPECT_STREQ(buf, "0123456789");
  EXPECT_NE(access((path + ".tmp").c_str(), F_OK), 0);
  std::remove(path.c_str());
}

}  // namespace
