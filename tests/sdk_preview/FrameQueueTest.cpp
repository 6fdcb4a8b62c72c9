// The frame store's layout and drop-oldest discipline, and the blocking hand-off ring.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "preview/FrameQueue.h"

using namespace ostrel::sdk;

TEST(FrameQueue, RecordsAddressTheirAreasAndFormACycle) {
  FrameQueue* q = FrameQueue_CreateTemp(384, 288);
  ASSERT_NE(q, nullptr);
  const size_t pixels = 384 * 288;
  EXPECT_EQ(q->count, 16u);
  EXPECT_EQ(q->stride, 8 * pixels + 16512);
  for (uint32_t i = 0; i < q->count; ++i) {
    PreviewFrame& r = q->records[i];
    auto* base = reinterpret_cast<uint8_t*>(r.head);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(r.data), base + 128);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(r.work), base + 128 + 2 * pixels);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(r.image), base + 128 + 4 * pixels);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(r.extra), base + 128 + 8 * pixels);
    EXPECT_EQ(r.previous, &q->records[(i + 15) % 16]);
    if (i > 0) {
      EXPECT_EQ(base - reinterpret_cast<uint8_t*>(q->records[i - 1].head), static_cast<ptrdiff_t>(q->stride));
    }
  }
  // The last byte of the last record's statistics area is inside the block.
  static_cast<uint8_t*>(q->records[15].extra)[16383] = 1;
  FrameQueue_Free(q);
}

TEST(FrameQueue, PictureSizeLimit) {
  EXPECT_EQ(FrameQueue_CreateTemp(4097, 4096, 1), nullptr);
  EXPECT_EQ(FrameQueue_CreateTemp(0, 10), nullptr);
  FrameQueue* q = FrameQueue_CreateTemp(4096, 4096, 1);  // exactly 16 Mi pixels is accepted
  ASSERT_NE(q, nullptr);
  FrameQueue_Free(q);
}

TEST(FrameQueue, DropOldestKeepsTheLastDeliveredFrames) {
  FrameQueue* q = FrameQueue_CreateTemp(4, 2);
  ASSERT_NE(q, nullptr);
  // Deliver 40 frames: each fill takes the next record; a full store gives up the oldest.
  for (int n = 0; n < 40; ++n) {
    PreviewFrame* f = q->beginFill();
    f->data[0] = static_cast<int16_t>(n);
    q->commit();
  }
  EXPECT_EQ(q->write - q->read, 16u);
  PreviewFrame* newest = q->at(q->write - 1);
  EXPECT_EQ(newest->data[0], 39);
  PreviewFrame* p = newest;
  for (int k = 1; k < 16; ++k) {
    p = p->previous;
    EXPECT_EQ(p->data[0], 39 - k);
  }
  // An undelivered frame (no commit) leaves the counters: the same record is filled again.
  PreviewFrame* a = q->beginFill();
  PreviewFrame* b = q->beginFill();
  EXPECT_EQ(a, b);
  FrameQueue_Free(q);
}

TEST(FrameHandoff, KeepsOrderAndBlocksWhenFull) {
  FrameHandoff ring;
  PreviewFrame frames[40];
  std::atomic<int> pushed{0};
  std::thread producer([&] {
    for (auto& f : frames) {
      ring.push(&f);
      ++pushed;
    }
  });
  EXPECT_TRUE(ring.waitForBlockedPush(std::chrono::seconds(10)));
  EXPECT_EQ(pushed.load(), 16);  // the seventeenth push waits for room
  for (auto& f : frames) EXPECT_EQ(ring.pop(), &f);
  producer.join();
}

TEST(FrameHandoff, StopReleasesABlockedPushAndTheEndMarkerEndsTheConsumer) {
  FrameHandoff ring;
  PreviewFrame frames[17];
  std::atomic<bool> refused{false};
  std::thread producer([&] {
    for (auto& f : frames)
      if (!ring.push(&f)) {
        refused = true;
        return;
      }
  });
  EXPECT_TRUE(ring.waitForBlockedPush(std::chrono::seconds(10)));
  ring.stop();
  producer.join();
  EXPECT_TRUE(refused.load());
  ring.pushEnd();
  EXPECT_EQ(ring.pop(), nullptr);
}
