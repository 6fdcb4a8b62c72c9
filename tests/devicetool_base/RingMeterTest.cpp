// The hand-over ring and the frame-rate meter: what the receiver thread and the GUI thread share.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "devicetool/FrameMeter.h"
#include "devicetool/FrameRing.h"

namespace {

struct SdkFrame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  std::vector<uint32_t> image;
  SdkFrame(int w, int h, int n) : codes(size_t(w * h)), image(size_t(w * h)) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    fill(n);
  }
  // Every byte of the frame derives from its number, so a slot can be checked for tearing.
  void fill(int n) {
    head.frameIndex = uint16_t(n);
    head.fpaTemp = n;
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(n * 7 + int(i));
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint32_t(n) * 2654435761u + uint32_t(i);
  }
};

bool intact(const LiveFrame* f) {
  const int n = f->head->fpaTemp;
  const size_t px = size_t(f->head->width) * f->head->height;
  if (f->head->frameIndex != uint16_t(n)) return false;
  // The codes follow the head directly, as in the SDK's store.
  if (reinterpret_cast<const uint8_t*>(f->data) != reinterpret_cast<const uint8_t*>(f->head) + 128) return false;
  for (size_t i = 0; i < px; ++i)
    if (f->data[i] != int16_t(n * 7 + int(i)) || f->image[i] != uint32_t(n) * 2654435761u + uint32_t(i)) return false;
  return true;
}

TEST(FrameRing, HeldSlotsAreNeverOverwrittenAndAFullRingDrops) {
  FrameRing ring;
  SdkFrame f(8, 4, 1);
  std::vector<LiveFrame*> held;
  for (int n = 1; n <= FrameRing::kSlots; ++n) {
    f.fill(n);
    LiveFrame* s = ring.put(&f.head, f.codes.data(), f.image.data());
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(ring.take(s));
    held.push_back(s);
  }
  f.fill(99);
  EXPECT_EQ(ring.put(&f.head, f.codes.data(), f.image.data()), nullptr);
  EXPECT_EQ(ring.dropped(), 1u);
  for (int n = 1; n <= FrameRing::kSlots; ++n) {
    EXPECT_TRUE(intact(held[size_t(n - 1)]));
    EXPECT_EQ(held[size_t(n - 1)]->head->fpaTemp, n);
  }
  // The SDK refilling its own record changes nothing the GUI holds.
  f.fill(100);
  EXPECT_EQ(held[0]->head->fpaTemp, 1);
  // A slot given back is used again; the others stay.
  ring.release(held[2]);
  LiveFrame* again = ring.put(&f.head, f.codes.data(), f.image.data());
  EXPECT_EQ(again, held[2]);
  EXPECT_EQ(held[1]->head->fpaTemp, 2);
  // A slot is taken once; a stale hand-over of it, or a foreign pointer, is refused.
  EXPECT_TRUE(ring.take(again));
  EXPECT_FALSE(ring.take(again));
  LiveFrame foreign;
  EXPECT_FALSE(ring.take(&foreign));
  ring.release(&foreign);
}

TEST(FrameRing, RefusesFramesWithoutCodesOrOfImpossibleSize) {
  FrameRing ring;
  SdkFrame f(4, 4, 1);
  EXPECT_EQ(ring.put(nullptr, f.codes.data(), nullptr), nullptr);
  EXPECT_EQ(ring.put(&f.head, nullptr, nullptr), nullptr);
  f.head.width = 0;
  EXPECT_EQ(ring.put(&f.head, f.codes.data(), nullptr), nullptr);
  f.head.width = 65535;
  f.head.height = 65535;  // beyond the largest frame: never read
  EXPECT_EQ(ring.put(&f.head, f.codes.data(), nullptr), nullptr);
  EXPECT_EQ(ring.dropped(), 4u);
  f.head.width = f.head.height = 4;
  LiveFrame* s = ring.put(&f.head, f.codes.data(), nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->image, nullptr);
}

// The receiver writes as fast as it can while the GUI holds the last frame and checks every byte
// of what it holds; ThreadSanitizer sees every access.
TEST(FrameRing, ReceiverAndGuiThreadsNeverShareASlot) {
  FrameRing ring;
  std::atomic<LiveFrame*> mailbox[8] = {};
  std::atomic<bool> done{false};
  std::atomic<int> torn{0}, shown{0};
  std::thread receiver([&] {
    SdkFrame f(32, 16, 0);
    unsigned m = 0;
    for (int n = 1; n <= 20000; ++n) {
      f.fill(n);
      LiveFrame* s = ring.put(&f.head, f.codes.data(), f.image.data());
      if (s == nullptr) continue;
      // A queued hand-over: wait for room, like a signal that stays in the queue.
      LiveFrame* expected = nullptr;
      while (!mailbox[m % 8].compare_exchange_weak(expected, s)) {
        expected = nullptr;
        std::this_thread::yield();
      }
      ++m;
    }
    done = true;
  });
  LiveFrame* last = nullptr;
  unsigned m = 0;
  int lastNumber = 0;
  for (;;) {
    LiveFrame* s = mailbox[m % 8].exchange(nullptr);
    if (s == nullptr) {
      if (done && mailbox[m % 8].load() == nullptr) break;
      std::this_thread::yield();
      continue;
    }
    ++m;
    if (!ring.take(s)) {
      ++torn;
      continue;
    }
    if (!intact(s) || s->head->fpaTemp <= lastNumber) ++torn;
    lastNumber = s->head->fpaTemp;
    if (last != nullptr && !intact(last)) ++torn;
    ring.release(last);
    last = s;
    ++shown;
  }
  receiver.join();
  ring.release(last);
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(shown.load(), 0);
  EXPECT_EQ(ring.written() + ring.dropped(), 20000u);
}

TEST(FrameMeter, IntervalZeroClocksStandingStillOrSteppingBack) {
  FrameMeter m;
  m.reset(0);
  EXPECT_EQ(m.interval(), 1u);
  EXPECT_TRUE(m.onFrame(1000, 100));  // first measure point: nothing measured yet
  EXPECT_EQ(m.fps(), 0.0f);
  EXPECT_TRUE(m.onFrame(1000, 100));  // same time: no rate, no division by zero
  EXPECT_EQ(m.fps(), 0.0f);
  EXPECT_TRUE(m.onFrame(500, 100));  // clock stepped back: no rate
  EXPECT_EQ(m.fps(), 0.0f);
  EXPECT_TRUE(m.onFrame(500 + 400000, 100));  // 40 ms after the new base: 25 frames/s
  EXPECT_FLOAT_EQ(m.fps(), 25.0f);
  EXPECT_EQ(m.displayStep(), 1);
}

TEST(FrameMeter, CapOf25At60FramesPerSecondShowsOneFrameInThree) {
  FrameMeter m;
  m.reset(60);  // a measure per second of a 60 frames/s camera
  const int64_t tick = 10000000 / 60;  // 100-ns ticks per frame, truncated
  int64_t now = 1'000'000'000;
  int shown = 0;
  for (int i = 0; i < 60; ++i, now += tick) shown += m.onFrame(now, 25);
  EXPECT_EQ(shown, 60);  // nothing measured during the first second
  // The second measure point: 60 frames in 60 x 166666 ticks = 60.0002 frames/s.
  for (int i = 0; i < 600; ++i, now += tick) shown += m.onFrame(now, 25);
  EXPECT_NEAR(m.fps(), 60.0, 0.01);
  EXPECT_EQ(m.displayStep(), 3);
  // From the measure on, frames 63, 66, ... 660 of the count are shown: one in three.
  EXPECT_EQ(shown, 60 + 200);
  // A cap of 100 or more than the rate shows every frame again.
  for (int i = 0; i < 120; ++i, now += tick) m.onFrame(now, 100);
  EXPECT_EQ(m.displayStep(), 1);
}

}  // namespace
