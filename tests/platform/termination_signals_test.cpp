// The termination-signal catcher: what arrives is read back in order, only
// one catcher holds the signals, and the handlers found before come back.
#include "platform/termination_signals.h"

#include <gtest/gtest.h>

#include <csignal>

namespace tarvolin::platform {
namespace {

volatile std::sig_atomic_t gOldHandlerRuns = 0;
extern "C" void countingHandler(int) { gOldHandlerRuns = gOldHandlerRuns + 1; }

TEST(TerminationSignals, SignalsArriveAsBytesInOrderAndTheProcessLives) {
  TerminationSignals catcher;
  ASSERT_TRUE(catcher.active());
  EXPECT_TRUE(catcher.take().empty());
  ASSERT_EQ(std::raise(SIGTERM), 0);
  ASSERT_EQ(std::raise(SIGINT), 0);
  ASSERT_EQ(std::raise(SIGHUP), 0);
  EXPECT_EQ(catcher.take(), (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
  EXPECT_TRUE(catcher.take().empty());
  // A storm of signals fills the pipe at worst; the handler never blocks.
  for (int i = 0; i < 70000; ++i) std::raise(SIGTERM);
  const std::vector<int> many = catcher.take();
  EXPECT_FALSE(many.empty());
  for (int s : many) EXPECT_EQ(s, SIGTERM);
  EXPECT_TRUE(catcher.take().empty());
}

TEST(TerminationSignals, OneCatcherAtATimeAndThePreviousHandlersComeBack) {
  struct sigaction counting {};
  counting.sa_handler = countingHandler;
  sigemptyset(&counting.sa_mask);
  struct sigaction before[3];
  const int kinds[3] = {SIGTERM, SIGINT, SIGHUP};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(sigaction(kinds[i], &counting, &before[i]), 0);
  gOldHandlerRuns = 0;
  {
    TerminationSignals first;
    ASSERT_TRUE(first.active());
    TerminationSignals second;
    EXPECT_FALSE(second.active());
    EXPECT_EQ(second.readFd(), -1);
    EXPECT_TRUE(second.take().empty());
    std::raise(SIGHUP);
    EXPECT_EQ(first.take(), std::vector<int>{SIGHUP});
    EXPECT_EQ(gOldHandlerRuns, 0);
  }
  // The inactive one's end changed nothing; the active one's end gave the
  // signals back to the handler found before.
  for (int kind : kinds) std::raise(kind);
  EXPECT_EQ(gOldHandlerRuns, 3);
  {
    TerminationSignals again;  // the place is free again
    EXPECT_TRUE(again.active());
  }
  for (int i = 0; i < 3; ++i) sigaction(kinds[i], &before[i], nullptr);
}

}  // namespace
}  // namespace tarvolin::platform
