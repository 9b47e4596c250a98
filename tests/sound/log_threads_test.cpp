// The logger's levels and texts, the line writer's switches, thread start
// and the re-entrant engine lock.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/sys_thread.h"
#include "sound/containers.h"
#include "sound/logger.h"
#include "sound/threads.h"

using namespace vz_internal;

namespace {
// Captures stdout and restores the switches afterwards.
struct LogCapture {
  bool debugger = getDebuggerOutput(), out = getStdoutOutput();
  LogCapture() {
    setDebuggerOutput(false);
    setStdoutOutput(true);
    testing::internal::CaptureStdout();
  }
  std::string text() { return testing::internal::GetCapturedStdout(); }
  ~LogCapture() {
    setDebuggerOutput(debugger);
    setStdoutOutput(out);
  }
};
}  // namespace

TEST(Logger, LevelsAndTexts) {
  vavozovu::ILogger* logger = acquireLogger();
  std::string out;
  {
    LogCapture cap;
    logger->setLogLevel(0);
    logText("plain %s line");
    logTextWithName("Could not open sound file", "boom.wav");
    logger->logWithText("alone", nullptr, 0, true);
    logger->setLogLevel(1);
    logText("dropped", 0);
    logText("kept", 2);
    logger->logText("no newline", 2, false);
    out = cap.text();
  }
  EXPECT_EQ(out,
            "plain %s line\n"
            "Could not open sound file: boom.wav\n"
            "alone: \n"
            "kept\n"
            "no newline");
  EXPECT_EQ(logger->getLogLevel(), 1);
  logger->setLogLevel(0);
  logger->drop();
}

TEST(Logger, WithoutALoggerOnlyTheLineWriterPrints) {
  ASSERT_EQ(currentLogger(), nullptr) << "an earlier test leaked the logger";
  LogCapture cap;
  logText("nobody hears this");
  writeLogLine("written", true);
  setStdoutOutput(false);
  writeLogLine("silenced", true);
  EXPECT_EQ(cap.text(), "written\n");
}

TEST(Logger, OneProcessLoggerSharedAndClearedByTheLastDrop) {
  vavozovu::ILogger* a = acquireLogger();
  vavozovu::ILogger* b = acquireLogger();
  EXPECT_EQ(a, b);
  a->drop();
  vavozovu::ILogger* c = currentLogger();
  EXPECT_EQ(c, b);
  c->drop();
  b->drop();
  EXPECT_EQ(currentLogger(), nullptr);
}

TEST(Threads, PriorityMapping) {
  EXPECT_EQ(mapThreadPriority(0), -2);
  EXPECT_EQ(mapThreadPriority(1), -1);
  EXPECT_EQ(mapThreadPriority(2), 0);
  EXPECT_EQ(mapThreadPriority(3), 1);
  EXPECT_EQ(mapThreadPriority(4), 2);
  EXPECT_EQ(mapThreadPriority(7), 0);
  EXPECT_EQ(mapThreadPriority(-1), 0);
}

namespace {
struct Body : IThread {
  std::atomic<int> runs{0};
  std::atomic<void*> seen{nullptr};
  void run(void* value) override {
    seen = value;
    ++runs;
  }
};
}  // namespace

TEST(Threads, StartRunsTheBodyWithItsValue) {
  Body* body = new Body;
  int token = 0;
  EXPECT_FALSE(startThread(nullptr, &token, 2));
  SysThread* handle = nullptr;
  ASSERT_TRUE(startThread(body, &token, 4, &handle));
  joinThread(handle);
  EXPECT_EQ(body->runs, 1);
  EXPECT_EQ(body->seen, &token);
  body->drop();
}

TEST(Threads, TheLockIsReentrantAndExcludesOthers) {
  ICriticalSection* cs = createCriticalSection();
  int counter = 0;
  cs->lock();
  cs->lock();  // the holder may take it again
  std::thread other([&] {
    for (int i = 0; i < 1000; ++i) {
      CLockGuard g(cs);
      ++counter;
    }
  });
  counter = -1000000;  // the other thread cannot have started counting yet
  cs->unlock();
  cs->unlock();
  other.join();
  EXPECT_EQ(counter, -1000000 + 1000);
  cs->drop();
}

TEST(Containers, StringsArraysAndLists) {
  vzString s("ab");
  s += s;  // appending to itself
  s += "c";
  EXPECT_STREQ(s.c_str(), "ababc");
  vzString& same = s;
  s = same;
  EXPECT_STREQ(s.c_str(), "ababc");
  const char16_t wide[] = {0x41, 0x142, 0};
  s = wide;
  EXPECT_STREQ(s.c_str(), "AB");
  EXPECT_LT(vzString::compare("ab", "abc"), 0);
  EXPECT_GT(vzString::compare("b", "abc"), 0);
  EXPECT_EQ(vzString::compare("same", "same"), 0);

  vzArray<int> a;
  for (int i = 0; i < 10; ++i) a.push_back(9 - i);
  a.push_back(a[0]);  // an element of the array itself
  EXPECT_FALSE(a.isSorted());
  a.heapSort([](int x, int y) { return x < y; });
  for (size_t i = 1; i < a.size(); ++i) EXPECT_LE(a[i - 1], a[i]);
  a.erase(0);
  EXPECT_EQ(a.size(), 10u);
  EXPECT_EQ(a[0], 1);

  vzList<int> l;
  l.push_back(1);
  l.push_back(2);
  l.push_back(3);
  auto* n = l.erase(l.begin()->next);
  EXPECT_EQ(n->value, 3);
  EXPECT_EQ(l.size(), 2u);
  EXPECT_EQ(l.begin()->value, 1);
}
