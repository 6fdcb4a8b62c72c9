// The temperature preview end to end against the simulated camera on loopback: frames in order
// with their statistics, packed frames, transforms, the mask, loss and recovery, framing faults.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"

namespace {

using namespace std::chrono_literals;
using camsim::FrameContent;

// What the callback saw, copied out of the SDK's records on its thread.
struct Seen {
  int status;
  uint16_t index, width, height;
  FrameStats stats;
  std::vector<int16_t> codes;
};

// Bound of every wait: generous, since it only ends a failing case and a loaded machine may
// hold a receiving thread back for seconds.
constexpr std::chrono::milliseconds kLimit = 60s;

struct Collector {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Seen> seen;
  bool keepCodes = false;

  static void callback(int status, PreviewFrame* frame, void* user) {
    auto* c = static_cast<Collector*>(user);
    Seen s{status, 0, 0, 0, {}, {}};
    if (frame) {
      s.index = frame->head->frameIndex;
      s.width = frame->head->width;
      s.height = frame->head->height;
      s.stats = *static_cast<FrameStats*>(frame->extra);
      if (c->keepCodes) s.codes.assign(frame->data, frame->data + size_t{s.width} * s.height);
    }
    std::lock_guard<std::mutex> lk(c->mutex);
    c->seen.push_back(std::move(s));
    c->cv.notify_all();
  }
  // Waits until `count` frames (status 0) arrived after the first `from` entries.
  bool waitFrames(size_t count, std::chrono::milliseconds limit = kLimit) {
    std::unique_lock<std::mutex> lk(mutex);
    return cv.wait_for(lk, limit, [&] {
      size_t n = 0;
      for (auto& s : seen) n += s.status == 0;
      return n >= count;
    });
  }
  // Waits until `count` callbacks with this status arrived.
  bool waitStatus(int status, int count, std::chrono::milliseconds limit = kLimit) {
    std::unique_lock<std::mutex> lk(mutex);
    return cv.wait_for(lk, limit, [&] {
      int n = 0;
      for (auto& s : seen) n += s.status == status;
      return n >= count;
    });
  }
  // Waits until a frame whose index is `first` or later (modulo 2^16, within 1000) arrived.
  bool waitIndexFrom(uint16_t first, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lk(mutex);
    return cv.wait_for(lk, limit, [&] {
      for (auto& s : seen)
        if (s.status == 0 && static_cast<uint16_t>(s.index - first) < 1000) return true;
      return false;
    });
  }
  int countStatus(int status) {
    std::lock_guard<std::mutex> lk(mutex);
    int n = 0;
    for (auto& s : seen) n += s.status == status;
    return n;
  }
  std::vector<Seen> frames() {
    std::lock_guard<std::mutex> lk(mutex);
    std::vector<Seen> out;
    for (auto& s : seen)
      if (s.status == 0) out.push_back(s);
    return out;
  }
};

class TempPreview : public ::testing::Test {
 protected:
  // Each case gets its own address, so cases run in parallel on the fixed ports.
  void startCamera(int host, int packEvery = 0, const std::string& softwareId = "SW-SIM-1.0") {
    address_ = ostrel::test::loopbackAddress(2, host);
    camsim::CameraSimOptions o;
    o.address = address_;
    o.identity.dataWidth = 384;
    o.identity.dataHeight = 288;
    o.identity.dataFps = 100;
    o.identity.softwareId = softwareId;
    o.tempPackEvery = packEvery;
    sim_ = std::make_unique<camsim::CameraSim>(o);
    ASSERT_EQ(sim_->start(), 0);
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    LoginInfo login{};
    std::snprintf(login.ip, sizeof login.ip, "%s", address_.c_str());
    CameraBasicInfoRecord basic{};
    user_ = Ostrel_Login(&login, &basic);
    ASSERT_GE(user_, 0);
  }
  int start(PreviewInfo& info, int transform = -1) {
    info.dataType = PREVIEW_TEMPERATURE;
    info.callback = &Collector::callback;
    info.userData = &c_;
    return transform < 0 ? Ostrel_StartPreview(user_, &info) : Ostrel_StartPreviewTempTransform(user_, &info, transform);
  }
  void TearDown() override {
    Ostrel_FreeSDK();  // stops previews, logs out
    if (sim_) sim_->stop();
  }
  camsim::TempStreamConfig streamConfig() const { return sim_->tempStream()->config(); }

  // The preview's statistic: max and min codes replaced by their 3x3 mean (truncated).
  static float expectedMax() { return static_cast<float>((8 * FrameContent::kHotPlateau + FrameContent::kHotCentre) / 9) / 100.0f; }
  static float expectedMin() { return static_cast<float>((8 * FrameContent::kColdSpot + FrameContent::kColdCentre) / 9) / 100.0f; }

  void expectFrameContent(const Seen& s) {
    auto cfg = streamConfig();
    EXPECT_EQ(s.width, 384);
    EXPECT_EQ(s.height, 288);
    EXPECT_FLOAT_EQ(s.stats.max, expectedMax());
    EXPECT_FLOAT_EQ(s.stats.min, expectedMin());
    EXPECT_EQ(s.stats.maxX, FrameContent::hotX(cfg, s.index));
    EXPECT_EQ(s.stats.maxY, FrameContent::hotY(cfg));
    EXPECT_EQ(s.stats.minX, FrameContent::coldX(cfg));
    EXPECT_EQ(s.stats.minY, FrameContent::coldY(cfg));
  }

  std::string address_;
  std::unique_ptr<camsim::CameraSim> sim_;
  int user_ = -1;
  Collector c_;
};

TEST_F(TempPreview, RawFramesArriveInOrderWithTheirStatistics) {
  startCamera(1);
  PreviewInfo info{};
  info.width = info.height = 77;
  int id = start(info);
  ASSERT_GE(id, 0);
  EXPECT_EQ(info.width, 0);  // no window: no output size
  EXPECT_EQ(info.height, 0);
  ASSERT_TRUE(c_.waitFrames(30));
  auto frames = c_.frames();
  for (size_t i = 1; i < frames.size(); ++i) EXPECT_EQ(frames[i].index, static_cast<uint16_t>(frames[i - 1].index + 1));
  for (auto& f : frames) expectFrameContent(f);
  EXPECT_EQ(Ostrel_StopPreview(id), 0);
  EXPECT_EQ(Ostrel_StopPreview(id), 0);  // a free slot: nothing, 0
}

TEST_F(TempPreview, PackedAndRawFramesMixInOneStream) {
  startCamera(2, /*packEvery=*/2);
  c_.keepCodes = true;
  PreviewInfo info{};
  ASSERT_GE(start(info), 0);
  ASSERT_TRUE(c_.waitFrames(20));
  auto cfg = streamConfig();
  std::vector<int16_t> expected;
  for (auto& f : c_.frames()) {
    expectFrameContent(f);
    FrameContent::codes(cfg, f.index, expected);
    ASSERT_EQ(f.codes, expected) << "frame " << f.index;
  }
}

TEST_F(TempPreview, TransformOneSwapsTheGeometry) {
  startCamera(3);
  PreviewInfo info{};
  ASSERT_EQ(start(info, 6), -2);
  ASSERT_GE(start(info, 1), 0);
  ASSERT_TRUE(c_.waitFrames(5));
  for (auto& f : c_.frames()) {
    EXPECT_EQ(f.width, 288);
    EXPECT_EQ(f.height, 384);
  }
}

TEST_F(TempPreview, MaskCapturesOneFrameAndSubtractsItFromTheNext) {
  startCamera(4);
  c_.keepCodes = true;
  PreviewInfo info{};
  int id = start(info);
  ASSERT_GE(id, 0);
  ASSERT_TRUE(c_.waitFrames(2));
  size_t before = c_.frames().size();
  ASSERT_EQ(Ostrel_PreviewEnableMask(id, 1), 0);
  ASSERT_TRUE(c_.waitFrames(before + 6));
  auto frames = c_.frames();
  auto cfg = streamConfig();
  // Find the captured frame: the first one after which frames turn into differences.
  std::vector<int16_t> a, b;
  bool found = false;
  for (size_t i = before; i + 1 < frames.size() && !found; ++i) {
    FrameContent::codes(cfg, frames[i].index, a);
    if (frames[i].codes != a) continue;
    FrameContent::codes(cfg, frames[i + 1].index, b);
    if (frames[i + 1].codes == b) continue;
    for (size_t k = 0; k < b.size(); ++k)
      ASSERT_EQ(frames[i + 1].codes[k], static_cast<int16_t>(b[k] - a[k])) << k;
    found = true;
  }
  EXPECT_TRUE(found);
}

TEST_F(TempPreview, StallGivesOneLossAndOneRestore) {
  startCamera(5);
  PreviewInfo info{};
  ASSERT_GE(start(info), 0);
  ASSERT_TRUE(c_.waitFrames(5));
  // The stall must outlast the frames still buffered in the connection plus the 2 s receive
  // time-out; on a loaded machine the receiver may be seconds behind the sender when it begins.
  sim_->tempStream()->setFault(camsim::StreamFault::Stall, 8000);
  ASSERT_TRUE(c_.waitStatus(OSTREL_E_CONN_RESTORED, 1));
  size_t after = c_.frames().size();
  ASSERT_TRUE(c_.waitFrames(after + 5));
  EXPECT_EQ(c_.countStatus(OSTREL_E_CONN_LOST), 1);
  EXPECT_EQ(c_.countStatus(OSTREL_E_CONN_RESTORED), 1);
}

// Every framing fault ends in a delivered stream again; none delivers a wrong or stale frame.
TEST_F(TempPreview, FramingFaultsRecover) {
  startCamera(6);
  c_.keepCodes = true;
  PreviewInfo info{};
  ASSERT_GE(start(info), 0);
  ASSERT_TRUE(c_.waitFrames(3));
  const camsim::StreamFault faults[] = {camsim::StreamFault::WrongSizeHead, camsim::StreamFault::BlockPastEnd,
                                        camsim::StreamFault::PackedSizeOutOfRange, camsim::StreamFault::ScaleZero,
                                        camsim::StreamFault::CloseMidFrame};
  auto* stream = sim_->tempStream();
  for (auto fault : faults) {
    stream->setFault(fault);
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    ASSERT_TRUE(stream->waitFaultTaken(static_cast<int>(kLimit.count())));
    ASSERT_FALSE(stream->faultPending());
    // The stream goes on: frames sent after the faulty one arrive (after a reconnect if needed).
    const uint32_t after = stream->nextIndex();
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    ASSERT_TRUE(c_.waitIndexFrom(static_cast<uint16_t>(after), std::max(left, 0ms)))
        << "no frame after fault " << static_cast<int>(fault);
  }
  auto cfg = streamConfig();
  std::vector<int16_t> expected;
  for (auto& f : c_.frames()) {
    FrameContent::codes(cfg, f.index, expected);
    ASSERT_EQ(f.codes, expected) << "frame " << f.index;
  }
  // The faults that break framing reconnect: each gives one loss and one restore.
  EXPECT_EQ(c_.countStatus(OSTREL_E_CONN_LOST), c_.countStatus(OSTREL_E_CONN_RESTORED));
  EXPECT_GE(c_.countStatus(OSTREL_E_CONN_LOST), 3);
}

TEST_F(TempPreview, TwoThreadModelDeliversIntactFrames) {
  startCamera(7, 0, "P9100T-SIM");  // this model runs the two-thread mode
  c_.keepCodes = true;
  PreviewInfo info{};
  ASSERT_GE(start(info), 0);
  ASSERT_TRUE(c_.waitFrames(20));
  auto cfg = streamConfig();
  std::vector<int16_t> expected;
  for (auto& f : c_.frames()) {
    FrameContent::codes(cfg, f.index, expected);
    ASSERT_EQ(f.codes, expected);
  }
}

// A camera that asks for destripe gets every frame destriped with the estimate refreshed on the
// first frame and then every sub_t-th: the same codes as the filter run on the camera's frames
// in order with its cadence kept.
TEST_F(TempPreview, DestripeRefreshesItsEstimateEverySubTthFrame) {
  startCamera(9, 0, "P9100T-SIM");
  DestripInfoRecord rec{};
  rec.type = 1;
  rec.s0_radius = 2;
  rec.s0_regular = 1;
  rec.s1_radius = 3;
  rec.s1_regular = 1;
  rec.sub_y = 1;
  rec.sub_t = 4;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&rec);
  ASSERT_TRUE(sim_->state().setRecord(124, std::vector<uint8_t>(bytes, bytes + sizeof rec)));
  c_.keepCodes = true;
  PreviewInfo info{};
  ASSERT_GE(start(info), 0);
  ASSERT_TRUE(c_.waitFrames(13));
  const auto seen = c_.frames();

  rec.width = 384;
  rec.height = 288;
  DestripState* ref = IRDestrip_Create();
  ASSERT_NE(ref, nullptr);
  ASSERT_EQ(IRDestrip_SetConfig(ref, &rec), 0);
  auto cfg = streamConfig();
  std::vector<int16_t> expected;
  bool changed = false;
  for (size_t i = 0; i < seen.size(); ++i) {
    // Every frame from the first reaches the callback: the hand-over blocks rather than drops.
    ASSERT_EQ(seen[i].index, static_cast<uint16_t>(seen[0].index + i));
    FrameContent::codes(cfg, seen[i].index, expected);
    const std::vector<int16_t> raw = expected;
    ASSERT_EQ(IRDestrip_Execute(ref, expected.data(), 384, 288, 1), 0);
    changed = changed || expected != raw;
    ASSERT_EQ(seen[i].codes, expected) << "frame " << i;
  }
  IRDestrip_Free(&ref);
  EXPECT_TRUE(changed);  // the filter really touched the frames
}

TEST_F(TempPreview, ArgumentsAndIds) {
  startCamera(8);
  PreviewInfo info{};
  EXPECT_EQ(Ostrel_StartPreview(user_, nullptr), -8);
  EXPECT_EQ(Ostrel_StartPreview(300, &info), -10);
  info.dataType = 4;
  EXPECT_EQ(Ostrel_StartPreview(user_, &info), -1);
  info.dataType = PREVIEW_TEMPERATURE;
  info.transport = 1;
  EXPECT_EQ(Ostrel_StartPreview(user_, &info), -2);
  EXPECT_EQ(Ostrel_StopPreview(-1), -10);
  EXPECT_EQ(Ostrel_PausePreview(256, 1), -10);
  EXPECT_EQ(Ostrel_PreviewSetDelay(3, 2), -10);
  info.transport = 0;
  int id = start(info);
  ASSERT_GE(id, 0);
  EXPECT_EQ(Ostrel_PreviewSetDelay(id, 16), -8);
  EXPECT_EQ(Ostrel_PreviewSetDelay(id, 3), 0);
  EXPECT_EQ(Ostrel_PreviewSetImage(id, nullptr, 9), 0);
}

}  // namespace
