#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TestDir.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

using namespace ostrel;
using ostrel::test::TestDir;

namespace {

std::atomic<int64_t> g_nowMs{0};
int64_t testClock() {
  return g_nowMs.load();
}

// Unix milliseconds of a UTC date and time.
int64_t utcMs(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return static_cast<int64_t>(timegm(&t)) * 1000 + ms;
}

std::string dayName(const std::string& prefix, int64_t unixMs) {
  time_t t = static_cast<time_t>(unixMs / 1000);
  tm lt{};
  localtime_r(&t, &lt);
  char buf[64];
  snprintf(buf, sizeof buf, "_%04d-%02d-%02d.log", lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
  return prefix + buf;
}

void setZone(const char* tz) {
  setenv("TZ", tz, 1);
  tzset();
}

std::string g_captured;
int g_capturedLevel = 0;
void capture(int level, const char* line, size_t length) {
  g_capturedLevel = level;
  g_captured.assign(line, length);
}

// A logger on the injected clock, capturing lines instead of writing files.
struct CapturingLogger {
  Logger* log = logCreate();
  CapturingLogger() {
    setZone("UTC");
    logSetClock(log, testClock);
    logSetCallback(log, capture);
    g_captured.clear();
  }
  ~CapturingLogger() { logDestroy(log); }
};

}  // namespace

TEST(LoggerPattern, DefaultPatternGivesTheSystemMessageForm) {
  CapturingLogger c;
  g_nowMs = utcMs(2026, 3, 4, 5, 6, 7, 89);
  int n = logPrintf(c.log, LOG_DEBUG,
                    "%s,%d,%s:\n"
                    "value %d"
                    "\n\n",
                    "src/Cam.cpp", 42, "CApp::init", 7);
  const std::string want = "2026-03-04 05:06:07.089 DEBUG src/Cam.cpp,42,CApp::init:\nvalue 7\n\n";
  EXPECT_EQ(g_captured, want);
  EXPECT_EQ(n, static_cast<int>(want.size()));
  EXPECT_EQ(g_capturedLevel, LOG_DEBUG);
}

TEST(LoggerPattern, DirectivesLevelsAndColour) {
  CapturingLogger c;
  g_nowMs = utcMs(1999, 12, 31, 23, 59, 58, 7);
  logSetPattern(c.log, "[%l|%Z|%%|%q|%L]%s%");
  logPrintf(c.log, LOG_DEBUG, "m");
  EXPECT_EQ(g_captured, "[D|007000|%||DEBUG]m");  // unknown "%q" and a lone final '%' write nothing

  const char* words[] = {"", "DEBUG", "INFO ", "WARN ", "ERROR", "FATAL", ""};
  const char* colours[] = {"", "\x1b[37m", "\x1b[32m", "\x1b[33m", "\x1b[31m", "\x1b[41;37m", ""};
  logSetPattern(c.log, "%L:%s");
  logSetColour(c.log, true);
  for (int level = 1; level <= 6; ++level) {
    logPrintf(c.log, level, "x");
    EXPECT_EQ(g_captured, std::string(colours[level]) + words[level] + ":x\x1b[0m") << level;
  }
  logSetColour(c.log, false);

  logSetPattern(c.log, "");  // the fixed header form
  logPrintf(c.log, LOG_WARN, "tail");
  EXPECT_EQ(g_captured, "1999-12-31 23:59:58.007 WARN  tail");

  logSetPattern(c.log, "%s|%s");  // the message may appear twice
  logPrintf(c.log, LOG_INFO, "%d", 12);
  EXPECT_EQ(g_captured, "12|12");
}

TEST(LoggerPattern, LevelBelowMinimumIsRefused) {
  CapturingLogger c;
  EXPECT_EQ(logPrintf(c.log, 0, "nothing"), -10);
  EXPECT_EQ(g_captured, "");
  logSetMinLevel(c.log, LOG_WARN);
  EXPECT_EQ(logPrintf(c.log, LOG_INFO, "nothing"), -10);
  EXPECT_GT(logPrintf(c.log, LOG_ERROR, "shown"), 0);
  EXPECT_EQ(logPrintf(nullptr, LOG_ERROR, "no instance"), 0);
}

TEST(LoggerBuffer, HugeMessageIsCutInsideTheLineBuffer) {
  CapturingLogger c;
  std::string big(100 * 1024, 'a');
  big += "END";
  int n = logPrintf(c.log, LOG_DEBUG, "%s", big.c_str());
  EXPECT_EQ(n, static_cast<int>(kLogBufferSize - 1));
  EXPECT_EQ(g_captured.size(), kLogBufferSize - 1);
  EXPECT_EQ(g_captured.find("END"), std::string::npos);

  logSetColour(c.log, true);  // the reset code survives the cut
  n = logPrintf(c.log, LOG_DEBUG, "%s", big.c_str());
  EXPECT_EQ(n, static_cast<int>(kLogBufferSize - 1));
  EXPECT_EQ(g_captured.substr(g_captured.size() - 4), "\x1b[0m");
  EXPECT_EQ(g_captured.substr(0, 5), "\x1b[37m");

  TestDir dir;  // and the file gets exactly the cut line
  Logger* log = logCreate();
  logSetClock(log, testClock);
  logSetPathPrefix(log, dir.file("big").c_str());
  n = logPrintf(log, LOG_DEBUG, "%s", big.c_str());
  logDestroy(log);
  EXPECT_EQ(ostrel::test::fileSize(dir.file(dayName("big", g_nowMs))), n);
}

TEST(LoggerFiles, PrefixLosesOnlyAFinalDotLog) {
  setZone("UTC");
  TestDir dir;
  g_nowMs = utcMs(2026, 5, 6, 12);
  Logger* log = logCreate();
  logSetClock(log, testClock);
  logSetPathPrefix(log, dir.file("a.log").c_str());
  logPrintf(log, LOG_DEBUG, "1\n");
  logSetPathPrefix(log, dir.file("b.txt").c_str());
  logPrintf(log, LOG_DEBUG, "2\n");
  logSetPathPrefix(log, dir.file("c.log.x").c_str());
  logPrintf(log, LOG_DEBUG, "3\n");
  logDestroy(log);
  EXPECT_EQ(dir.list(),
            (std::vector<std::string>{"a_2026-05-06.log", "b.txt_2026-05-06.log", "c.log.x_2026-05-06.log"}));
}

TEST(LoggerFiles, DaySwitchAndRetentionAcrossIdleMidnights) {
  setZone("UTC");
  TestDir dir;
  const int64_t day = 86400000;
  const int64_t start = utcMs(2026, 6, 15, 10);
  // Day files of 1 to 40 days before the start.
  for (int k = 1; k <= 40; ++k) ostrel::test::writeWhole(dir.file(dayName("cam", start - k * day)), "old\n");

  Logger* log = logCreate();
  logSetClock(log, testClock);
  logSetPathPrefix(log, dir.file("cam").c_str());
  g_nowMs = start;
  logPrintf(log, LOG_DEBUG, "first\n");
  // The first line removes the files of 30 down to 7 days ago.
  for (int k = 1; k <= 40; ++k)
    EXPECT_EQ(ostrel::test::exists(dir.file(dayName("cam", start - k * day))), k < 7 || k > 30) << k;

  // Crossing midnight closes the file, starts the next and removes the one dated 7 days back.
  g_nowMs = utcMs(2026, 6, 15, 23, 59, 59, 999);
  logPrintf(log, LOG_DEBUG, "late\n");
  g_nowMs = utcMs(2026, 6, 16, 0, 0, 0, 0);
  logPrintf(log, LOG_DEBUG, "early\n");
  EXPECT_EQ(ostrel::test::readWhole(dir.file("cam_2026-06-16.log")).find("late"), std::string::npos);
  EXPECT_NE(ostrel::test::readWhole(dir.file("cam_2026-06-15.log")).find("late"), std::string::npos);
  EXPECT_FALSE(ostrel::test::exists(dir.file("cam_2026-06-09.log")));
  EXPECT_TRUE(ostrel::test::exists(dir.file("cam_2026-06-10.log")));

  // Idle for four midnights: every file now older than the kept days goes, not just one.
  g_nowMs = utcMs(2026, 6, 20, 8);
  logPrintf(log, LOG_DEBUG, "after idle\n");
  for (int d = 10; d <= 13; ++d) {
    char name[40];
    snprintf(name, sizeof name, "cam_2026-06-%02d.log", d);
    EXPECT_FALSE(ostrel::test::exists(dir.file(name))) << name;
  }
  EXPECT_TRUE(ostrel::test::exists(dir.file("cam_2026-06-14.log")));
  EXPECT_TRUE(ostrel::test::exists(dir.file("cam_2026-06-20.log")));
  logDestroy(log);
}

TEST(LoggerFiles, DayFollowsTheLocalOffsetOfAHalfHourZone) {
  setZone("IST-5:30");  // UTC+5:30, no daylight saving
  TestDir dir;
  Logger* log = logCreate();
  logSetClock(log, testClock);
  logSetPathPrefix(log, dir.file("z").c_str());
  g_nowMs = utcMs(2026, 1, 1, 18, 29, 59, 500);  // 23:59:59.500 local
  logPrintf(log, LOG_DEBUG, "before\n");
  g_nowMs = utcMs(2026, 1, 1, 18, 30, 0, 0);  // 00:00 local, next day
  logPrintf(log, LOG_DEBUG, "after\n");
  logDestroy(log);
  std::string a = ostrel::test::readWhole(dir.file("z_2026-01-01.log"));
  std::string b = ostrel::test::readWhole(dir.file("z_2026-01-02.log"));
  EXPECT_NE(a.find("2026-01-01 23:59:59.500 DEBUG before"), std::string::npos) << a;
  EXPECT_NE(b.find("2026-01-02 00:00:00.000 DEBUG after"), std::string::npos) << b;
}

TEST(LoggerFiles, DaylightSavingChangeKeepsTheLocalHour) {
  setZone("EST5EDT,M3.2.0,M11.1.0");
  CapturingLogger c;
  setZone("EST5EDT,M3.2.0,M11.1.0");
  logSetPattern(c.log, "%y-%m-%d %H:%M");
  g_nowMs = utcMs(2026, 3, 8, 6, 59);  // 01:59 EST
  logPrintf(c.log, LOG_DEBUG, "x");
  EXPECT_EQ(g_captured, "2026-03-08 01:59");
  g_nowMs = utcMs(2026, 3, 8, 7, 0);  // 03:00 EDT
  logPrintf(c.log, LOG_DEBUG, "x");
  EXPECT_EQ(g_captured, "2026-03-08 03:00");
}

TEST(LoggerFiles, DayFilePastSixteenMebibytesIsEmptiedAndLoggingGoesOn) {
  setZone("UTC");
  TestDir dir;
  g_nowMs = utcMs(2026, 2, 2, 2);
  const std::string over = dir.file("big_2026-02-02.log");
  const std::string exact = dir.file("ok_2026-02-02.log");
  ASSERT_EQ(std::system(("truncate -s 16777217 '" + over + "'").c_str()), 0);
  ASSERT_EQ(std::system(("truncate -s 16777216 '" + exact + "'").c_str()), 0);

  Logger* log = logCreate();
  logSetClock(log, testClock);
  logSetPathPrefix(log, dir.file("big").c_str());
  int n = logPrintf(log, LOG_DEBUG, "fresh\n");
  EXPECT_EQ(ostrel::test::fileSize(over), n);
  int m = logPrintf(log, LOG_DEBUG, "more\n");
  EXPECT_EQ(ostrel::test::fileSize(over), n + m);

  logSetPathPrefix(log, dir.file("ok").c_str());  // exactly the limit is kept
  n = logPrintf(log, LOG_DEBUG, "kept\n");
  EXPECT_EQ(ostrel::test::fileSize(exact), 16777216LL + n);
  logDestroy(log);
}

TEST(LoggerThreads, EightThreadsTenThousandLinesEachAllIntact) {
  setZone("UTC");
  TestDir dir;
  Logger* log = logCreate();
  logSetPathPrefix(log, dir.file("mt").c_str());
  logSetPattern(log, "%L %s");
  constexpr int kThreads = 8, kLines = 10000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([log, t] {
      for (int i = 0; i < kLines; ++i)
        logPrintf(log, LOG_INFO, "t%d n%d %s\n", t, i, "payload-payload-payload");
    });
  for (auto& th : threads) th.join();
  logDestroy(log);

  std::string all;
  for (const auto& name : dir.list()) all += ostrel::test::readWhole(dir.file(name));  // a midnight may split
  std::istringstream in(all);
  std::string line;
  std::set<std::pair<int, int>> seen;
  int count = 0;
  while (std::getline(in, line)) {
    int t = -1, i = -1;
    char tail[64] = {};
    ASSERT_EQ(sscanf(line.c_str(), "INFO  t%d n%d %63s", &t, &i, tail), 3) << line;
    ASSERT_STREQ(tail, "payload-payload-payload") << line;
    seen.insert({t, i});
    ++count;
  }
  EXPECT_EQ(count, kThreads * kLines);
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

TEST(LoggerDefault, FirstUseIsThreadSafeAndDestroyIsFinal) {
  std::vector<std::thread> threads;
  std::vector<Logger*> got(8, nullptr);
  std::atomic<bool> go{false};
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      while (!go.load()) {
      }
      got[t] = logDefault();
    });
  go = true;
  for (auto& th : threads) th.join();
  ASSERT_NE(got[0], nullptr);
  for (Logger* l : got) EXPECT_EQ(l, got[0]);

  logDestroyDefault();
  logDestroyDefault();  // idempotent
  EXPECT_EQ(logDefault(), nullptr);
  EXPECT_EQ(OSTREL_LOG("nothing is written %d", 1), 0);  // and no default file appears
  logResetDefault();
  Logger* again = logDefault();
  EXPECT_NE(again, nullptr);
  logSetCallback(again, capture);
  OSTREL_LOG("v=%d", 5);
  EXPECT_NE(g_captured.find("LoggerTest.cpp,"), std::string::npos);
  EXPECT_NE(g_captured.find(":\nv=5\n\n"), std::string::npos);
  logDestroyDefault();
}

TEST(LoggerFiles, EchoCopiesFileLinesToStandardOutputButNotCallbackLines) {
  setZone("UTC");
  TestDir dir;
  fflush(stdout);
  int saved = dup(fileno(stdout));
  FILE* sink = fopen(dir.file("stdout.txt").c_str(), "w");
  ASSERT_NE(sink, nullptr);
  dup2(fileno(sink), fileno(stdout));

  Logger* log = logCreate();
  logSetClock(log, testClock);
  g_nowMs = utcMs(2026, 7, 1, 1);
  logSetPathPrefix(log, dir.file("echo").c_str());
  logSetPattern(log, "%L %s");
  logSetEcho(log, true);
  logPrintf(log, LOG_INFO, "to file and screen\n");
  logSetCallback(log, capture);
  logPrintf(log, LOG_INFO, "to callback only\n");
  logDestroy(log);

  fflush(stdout);
  dup2(saved, fileno(stdout));
  close(saved);
  fclose(sink);
  EXPECT_EQ(ostrel::test::readWhole(dir.file("stdout.txt")), "INFO  to file and screen\n");
  EXPECT_EQ(ostrel::test::readWhole(dir.file("echo_2026-07-01.log")), "INFO  to file and screen\n");
  EXPECT_EQ(g_captured, "INFO  to callback only\n");
}
