// The stream player on its own thread: index sequences of every play mode, the tick period for the
// recorded rate, the ends, seeking, measurement requests, and opening failures.
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <cmath>
#include <numeric>

#include "FileInputsSupport.h"
#include "inputs/CInputFileBase.h"

using namespace fileinputs;

namespace {

// Takes each frame on the player thread and hands it back at once, recording what it saw.
struct Consumer {
  std::mutex m;
  std::condition_variable cv;
  std::vector<int> indices;
  std::vector<std::chrono::steady_clock::time_point> times;
  int mismatches = 0;
  std::vector<int> meaCodes;
  std::vector<MeaResultData*> results;
  CInputStream* input = nullptr;

  static void onFrame(int status, FrameSlot* slot, void* user) {
    auto* self = static_cast<Consumer*>(user);
    std::lock_guard<std::mutex> lock(self->m);
    if (status == 0 && slot != nullptr) {
      const int f = slot->frameIndex;
      uint16_t head10 = 0;
      std::memcpy(&head10, reinterpret_cast<const uint8_t*>(slot->head) + 10, 2);
      if (head10 != f || slot->data[0] != rampCode(0, 0, f) || slot->data[kW * kH - 1] != rampCode(kW - 1, kH - 1, f))
        ++self->mismatches;
      self->indices.push_back(f);
      self->times.push_back(std::chrono::steady_clock::now());
    }
    self->input->frameConsumed();
    self->cv.notify_all();
  }
  static void onMea(int status, MeaResultData* data, void* user) {
    auto* self = static_cast<Consumer*>(user);
    std::lock_guard<std::mutex> lock(self->m);
    self->meaCodes.push_back(status);
    self->results.push_back(data);
    self->cv.notify_all();
  }
  ~Consumer() {
    for (auto* r : results) std::free(r);
  }

  template <class Pred>
  bool waitFor(Pred pred, std::chrono::milliseconds limit = 20s) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, limit, [&] { return pred(); });
  }
  std::vector<int> log() {
    std::lock_guard<std::mutex> lock(m);
    return indices;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(m);
    indices.clear();
    times.clear();
  }
};

class Player : public ::testing::Test {
 protected:
  void open(const std::string& name) {
    dir = Fixtures::get().caseDir({name});
    input.setPath(dir + "/" + QString::fromStdString(name));
    consumer.input = &input;
    ASSERT_EQ(input.setConsumer(&consumer, &Consumer::onFrame, &Consumer::onMea), 0);
    ASSERT_EQ(input.open(), 0);
  }
  // Pauses, shows `index` and waits for it, then starts logging afresh.
  void parkAt(int index) {
    input.setPlayMode(0);
    consumer.clear();
    input.seek(index);
    ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty() && consumer.indices.back() == index; }));
    consumer.clear();
  }
  static MeaItemList* listOf(std::initializer_list<MeaItem> items) {
    auto* l = static_cast<MeaItemList*>(std::calloc(1, sizeof(MeaItemList)));
    l->count = static_cast<int32_t>(items.size());
    int i = 0;
    for (const MeaItem& d : items) l->items[i++] = d;
    return l;
  }
  // Mean time between two deliveries over `ticks` ticks, leaving out the first ones (the file is
  // still being opened then). A starved machine only ever delays ticks, so of up to three windows
  // (starting 20 ticks apart, all within the 100 frames) the one closest to `want` is the
  // player's own rate.
  double meanTickMs(int ticks, double want) {
    constexpr int kSkip = 2, kWindows = 3;
    double best = 0;
    for (int w = 0; w < kWindows; ++w) {
      const int from = kSkip + w * 20, to = from + ticks;
      EXPECT_TRUE(consumer.waitFor([&] { return static_cast<int>(consumer.times.size()) > to; }, 30s));
      std::lock_guard<std::mutex> lock(consumer.m);
      if (static_cast<int>(consumer.times.size()) <= to) break;
      const double mean = std::chrono::duration<double, std::milli>(consumer.times[to] - consumer.times[from]).count() / ticks;
      if (w == 0 || std::abs(mean - want) < std::abs(best - want)) best = mean;
      if (std::abs(best - want) < 1.0) break;
    }
    return best;
  }

  QString dir;
  Consumer consumer;
  CInputStream input;
};

std::vector<int> range(int from, int to, int step) {
  std::vector<int> v;
  for (int i = from; step > 0 ? i <= to : i >= to; i += step) v.push_back(i);
  return v;
}

TEST_F(Player, ForwardShowsEveryFrameOnceAndStopsAtTheLast) {
  open("ramp100.stream");
  EXPECT_EQ(input.frameCount(), kFrames);
  EXPECT_EQ(input.dataFrameCount(), kFrames);
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty() && consumer.indices.back() == kFrames - 1; }));
  // Parked at the end in forward mode: the next frame shown is the one sought, nothing before it.
  input.seek(50);
  ASSERT_TRUE(consumer.waitFor([&] { return consumer.indices.size() >= 150 && consumer.indices.back() == kFrames - 1; }));
  const std::vector<int> log = consumer.log();
  std::vector<int> want = range(0, kFrames - 1, 1);
  for (int i = 50; i < kFrames; ++i) want.push_back(i);
  EXPECT_EQ(log, want);
  EXPECT_EQ(consumer.mismatches, 0);
}

TEST_F(Player, BackwardAndFastModesStepAndStopAtTheEnds) {
  open("ramp100.stream");
  parkAt(kFrames - 1);
  input.setPlayMode(2);
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty() && consumer.indices.back() == 0; }));
  EXPECT_EQ(consumer.log(), range(kFrames - 2, 0, -1));

  parkAt(0);
  input.setPlayMode(3);
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty() && consumer.indices.back() == kFrames - 1; }));
  std::vector<int> fast = range(4, 96, 4);
  fast.push_back(99);
  EXPECT_EQ(consumer.log(), fast);

  parkAt(kFrames - 1);
  input.setPlayMode(4);
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty() && consumer.indices.back() == 0; }));
  std::vector<int> back = range(95, 3, -4);
  back.push_back(0);
  EXPECT_EQ(consumer.log(), back);

  // At the first frame in fast backward mode nothing more comes until a seek.
  input.seek(10);
  const size_t before = back.size();
  ASSERT_TRUE(consumer.waitFor([&] { return consumer.indices.size() == before + 4; }));
  back.insert(back.end(), {10, 6, 2, 0});
  EXPECT_EQ(consumer.log(), back);
  EXPECT_EQ(consumer.mismatches, 0);
}

TEST_F(Player, SeekOutsideTheFileIsIgnoredAndPausedSeekShowsOnce) {
  open("ramp100.stream");
  parkAt(3);
  // A seek to frameCount must not replace the seek before it.
  input.seek(5);
  input.seek(kFrames);
  input.seek(-1);
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.indices.empty(); }));
  input.seek(0);
  ASSERT_TRUE(consumer.waitFor([&] { return consumer.indices.size() >= 2; }));
  EXPECT_EQ(consumer.log(), (std::vector<int>{5, 0}));
  // Paused: seek(0) again shows frame 0 again, once.
  input.seek(0);
  input.seek(7);
  ASSERT_TRUE(consumer.waitFor([&] { return consumer.indices.back() == 7; }));
  const auto log = consumer.log();
  EXPECT_TRUE(log == (std::vector<int>{5, 0, 7}) || log == (std::vector<int>{5, 0, 0, 7}));
}

TEST_F(Player, TickFollowsTheRecordedRate) {
  open("ramp25.stream");
  EXPECT_NEAR(meanTickMs(50, 40.0), 40.0, 3.0);
}

TEST_F(Player, TickAtThirtyFramesPerSecond) {
  open("ramp30.stream");
  EXPECT_NEAR(meanTickMs(50, 30.0), 30.0, 3.0);
}

TEST_F(Player, RateWithoutDivisorPlaysAtTen) {
  open("ramp0.stream");
  EXPECT_NEAR(meanTickMs(20, 100.0), 100.0, 3.0);
}

TEST_F(Player, RateAboveOneHundredPlaysAtTen) {
  open("ramp120.stream");
  EXPECT_EQ(input.dataFpsNum(), 120);
  EXPECT_NEAR(meanTickMs(20, 100.0), 100.0, 3.0);
}

TEST_F(Player, MeasurementRequestsOneAtATime) {
  open("ramp100.stream");
  int first = 0, second = 0;
  MeaItemList* a = listOf({frameDef(), pointDef(80, 60)});
  MeaItemList* b = listOf({pointDef(1, 1)});
  // Held off the handle, the player cannot take the first request before the second comes.
  input.withPlayerHandle([&](TFContext*) {
    first = input.requestMeaResult(a);
    second = input.requestMeaResult(b);
    return 0;
  });
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, -7);
  std::free(b);  // refused: still the caller's
  ASSERT_TRUE(consumer.waitFor([&] { return !consumer.meaCodes.empty(); }));
  ASSERT_EQ(consumer.meaCodes[0], 0);
  const MeaResultData* r = consumer.results[0];
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->frameCount, kFrames);
  ASSERT_EQ(r->itemCount, 2);
  for (int f = 0; f < kFrames; ++f) {
    // Degrees are codes / 10: whole frame from code(0,0) to code(159,119); the point at (80,60).
    const MeaResult& whole = r->results[f * 2];
    const MeaResult& point = r->results[f * 2 + 1];
    EXPECT_NEAR(whole.min, 200.0 + 5 * f, 1e-3) << f;
    EXPECT_NEAR(whole.max, 299.2 + 5 * f, 1e-3) << f;
    EXPECT_NEAR(point.min, 250.0 + 5 * f, 1e-3) << f;
    EXPECT_NEAR(point.max, 250.0 + 5 * f, 1e-3) << f;
  }
  // After delivery a new request is taken again.
  EXPECT_EQ(input.requestMeaResult(listOf({pointDef(2, 2)})), 0);
  ASSERT_TRUE(consumer.waitFor([&] { return consumer.meaCodes.size() == 2; }));
  EXPECT_EQ(consumer.meaCodes[1], 0);
}

TEST_F(Player, RequestsNeedARunningPlayerAndAValidList) {
  CInputStream closed;
  MeaItemList* l = listOf({pointDef(1, 1)});
  EXPECT_EQ(closed.requestMeaResult(l), -7);
  open("ramp100.stream");
  l->count = 33;
  EXPECT_EQ(input.requestMeaResult(l), -8);
  l->count = 0;
  EXPECT_EQ(input.requestMeaResult(l), -8);
  EXPECT_EQ(input.requestMeaResult(nullptr), -8);
  input.stopThread();
  l->count = 1;
  EXPECT_EQ(input.requestMeaResult(l), -7);
  std::free(l);
}

TEST_F(Player, OpenFailuresLeaveTheFileClosed) {
  // Without callbacks: refused before the file is touched.
  CInputStream bare;
  const QString d = Fixtures::get().caseDir({"ramp100.stream", "empty.stream"});
  bare.setPath(d + "/ramp100.stream");
  EXPECT_EQ(bare.open(), -7);
  EXPECT_FALSE(bare.isOpen());
  TFRaw raw{};
  EXPECT_EQ(TF_ReadRaw(bare.handle(), &raw), -7);

  // A stream without frames opens in the SDK but cannot play: the handle is closed again.
  CInputStream empty;
  Consumer c;
  c.input = &empty;
  empty.setPath(d + "/empty.stream");
  ASSERT_EQ(empty.setConsumer(&c, &Consumer::onFrame, &Consumer::onMea), 0);
  EXPECT_LT(empty.open(), 0);
  EXPECT_FALSE(empty.isOpen());
  EXPECT_FALSE(empty.playerRunning());
  EXPECT_EQ(TF_ReadRaw(empty.handle(), &raw), -7);

  // A missing file.
  CInputStream missing;
  missing.setPath(d + "/nope.stream");
  ASSERT_EQ(missing.setConsumer(&c, &Consumer::onFrame, &Consumer::onMea), 0);
  EXPECT_EQ(missing.open(), -200);
}

TEST_F(Player, ConsumerIsFixedWhileThePlayerRuns) {
  open("ramp100.stream");
  EXPECT_EQ(input.setConsumer(nullptr, nullptr, nullptr), -7);
  EXPECT_EQ(input.open(), 0);  // already open
  input.stopThread();
  EXPECT_TRUE(input.isOpen());
  EXPECT_EQ(input.setConsumer(&consumer, &Consumer::onFrame, &Consumer::onMea), 0);
  input.close();
  EXPECT_FALSE(input.isOpen());
  EXPECT_EQ(input.frameCount(), 0);
}

}  // namespace
