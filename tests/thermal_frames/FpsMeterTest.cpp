// The frame-rate meter with an injected clock: rates and decimation worked by hand, clocks that
// stand still or step back, an interval of 0, and an interval that changes while frames flow.
#include <gtest/gtest.h>

#include <vector>

#include "FpsMeter.h"

namespace {

int64_t g_now = 0;
int g_reads = 0;
int64_t fakeClock() {
  ++g_reads;
  return g_now;
}

constexpr int64_t kSecond = 10000000;  // 100-ns ticks

class Meter : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 1000 * kSecond;
    g_reads = 0;
  }
  // `count` frames `step` ticks apart; returns which of them were shown.
  std::vector<bool> frames(FpsMeter& m, int count, int64_t step, uint32_t limit) {
    std::vector<bool> shown;
    for (int i = 0; i < count; ++i) {
      g_now += step;
      shown.push_back(m.onFrame(limit));
    }
    return shown;
  }
};

TEST_F(Meter, FiftyFramesPerSecondAtLimitTwentyFiveShowsEverySecond) {
  FpsMeter m(&fakeClock);
  m.reset(50);
  // Before the first measurement completes every frame is shown.
  std::vector<bool> first = frames(m, 51, kSecond / 50, 25);
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(first[i]) << i;
  EXPECT_DOUBLE_EQ(m.fps(), 50.0);
  EXPECT_EQ(m.decimation(), 2u);  // (50 + 24) / 25
  EXPECT_EQ(g_reads, 2);          // one clock read per 50 frames
  // Counter 51 was odd: not shown. From here on exactly the even counters are.
  EXPECT_FALSE(first[50]);
  std::vector<bool> next = frames(m, 10, kSecond / 50, 25);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(next[i], (52 + i) % 2 == 0) << i;
}

TEST_F(Meter, RatesBelowTheLimitShowEveryFrame) {
  FpsMeter m(&fakeClock);
  m.reset(30);
  std::vector<bool> shown = frames(m, 200, kSecond / 30, 100);
  for (bool s : shown) EXPECT_TRUE(s);
  EXPECT_NEAR(m.fps(), 30.0, 0.01);
  EXPECT_EQ(m.decimation(), 1u);
}

TEST_F(Meter, RoundsTheDecimationUp) {
  FpsMeter m(&fakeClock);
  m.reset(10);
  // 10 frames in 0.1 s: 100 fps; limit 30 gives (100 + 29) / 30 = 4.
  frames(m, 11, kSecond / 100, 30);
  EXPECT_DOUBLE_EQ(m.fps(), 100.0);
  EXPECT_EQ(m.decimation(), 4u);
}

TEST_F(Meter, AStandingClockIsNoMeasurement) {
  FpsMeter m(&fakeClock);
  m.reset(5);
  frames(m, 6, kSecond / 25, 10);  // 25 fps: decimation 3
  ASSERT_DOUBLE_EQ(m.fps(), 25.0);
  ASSERT_EQ(m.decimation(), 3u);
  // Five frames with no time passing: the rate and the decimation stay as they were.
  frames(m, 5, 0, 10);
  EXPECT_DOUBLE_EQ(m.fps(), 25.0);
  EXPECT_EQ(m.decimation(), 3u);
}

TEST_F(Meter, AClockSteppingBackIsSkippedAndMeasuringResumes) {
  FpsMeter m(&fakeClock);
  m.reset(5);
  frames(m, 6, kSecond / 50, 10);  // 50 fps
  ASSERT_DOUBLE_EQ(m.fps(), 50.0);
  g_now -= 3600 * kSecond;  // an hour back
  frames(m, 5, kSecond / 50, 10);
  EXPECT_DOUBLE_EQ(m.fps(), 50.0);  // not a huge or negative rate
  EXPECT_EQ(m.decimation(), 5u);
  // The next interval measures from the step: 5 frames in 0.2 s.
  frames(m, 5, kSecond / 25, 10);
  EXPECT_DOUBLE_EQ(m.fps(), 25.0);
  EXPECT_EQ(m.decimation(), 3u);
}

TEST_F(Meter, IntervalZeroCountsAsOne) {
  FpsMeter m(&fakeClock);
  m.reset(0);
  EXPECT_EQ(m.interval(), 1u);
  frames(m, 3, kSecond / 20, 10);
  EXPECT_DOUBLE_EQ(m.fps(), 20.0);
  EXPECT_EQ(m.decimation(), 2u);
  m.setInterval(0);
  EXPECT_EQ(m.interval(), 1u);
}

TEST_F(Meter, AnIntervalChangedMidStreamCountsRealFrames) {
  FpsMeter m(&fakeClock);
  m.reset(1);
  frames(m, 8, kSecond / 50, 25);
  ASSERT_DOUBLE_EQ(m.fps(), 50.0);
  // The camera's rate becomes known while frames flow: counting restarts at no boundary, yet
  // the rate must not jump because fewer than N frames passed since the last measurement.
  m.setInterval(50);
  frames(m, 60, kSecond / 50, 25);
  EXPECT_DOUBLE_EQ(m.fps(), 50.0);
  EXPECT_EQ(m.decimation(), 2u);
}

TEST_F(Meter, ATinyDeltaGivesABoundedDecimation) {
  FpsMeter m(&fakeClock);
  m.reset(1000);
  frames(m, 1001, 0, 10);
  g_now += 1;
  frames(m, 1000, 0, 10);  // 1000 frames in one tick
  EXPECT_GT(m.decimation(), 1000u);
  EXPECT_LE(m.fps(), 1.0e6);
}

TEST_F(Meter, ResetForgetsTheMeasurement) {
  FpsMeter m(&fakeClock);
  m.reset(2);
  frames(m, 3, kSecond / 100, 10);
  ASSERT_GT(m.decimation(), 1u);
  m.reset(4);
  EXPECT_EQ(m.fps(), 0.0);
  EXPECT_EQ(m.decimation(), 1u);
  EXPECT_EQ(m.counter(), 0u);
  EXPECT_EQ(m.interval(), 4u);
  EXPECT_TRUE(m.onFrame(10));
}

TEST(MonotonicClock, NeverStepsBack) {
  int64_t last = FpsMeter::monotonicTicks();
  EXPECT_GT(last, 0);
  for (int i = 0; i < 10000; ++i) {
    const int64_t t = FpsMeter::monotonicTicks();
    ASSERT_GE(t, last);
    last = t;
  }
}

}  // namespace
