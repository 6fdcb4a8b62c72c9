// The frame pool between a receiving thread and the worker thread, as the recorder runs them:
// the producer reuses its own frame memory at once (as the SDK's ring does), the worker is held
// back by its file, and what reaches the file must still be each frame's own content, in order,
// with every frame the full pool refused counted.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "EngineRig.h"
#include "StreamFacts.h"

namespace {

using namespace rectest;
using namespace std::chrono_literals;

struct Item {
  int code = 0;  // a trigger, or 0 for a frame
  recordcore::PoolFrame* frame = nullptr;
};

class Worker {
 public:
  explicit Worker(EngineRig& rig) : rig_(rig), thread_([this] { run(); }) {}
  ~Worker() {
    post({-1, nullptr});
    thread_.join();
  }
  void post(Item it) {
    {
      std::lock_guard<std::mutex> lk(m_);
      q_.push_back(it);
    }
    cv_.notify_one();
  }
  std::function<void()> onStart;

 private:
  void run() {
    for (;;) {
      Item it;
      {
        std::unique_lock<std::mutex> lk(m_);
        cv_.wait(lk, [&] { return !q_.empty(); });
        it = q_.front();
        q_.pop_front();
      }
      if (it.code == -1) return;
      if (it.code == -2) {
        onStart();
      } else if (it.code != 0) {
        rig_.engine.trigger(it.code);
      } else {
        rig_.engine.frame(it.frame);
      }
    }
  }
  EngineRig& rig_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<Item> q_;
  std::thread thread_;
};

TEST(RecordThreads, AHeldBackWorkerRecordsNoWrongOrRepeatedFrameAndCountsEveryDrop) {
  TempFolder dir;
  EngineRig rig;
  auto s = rig.settings(160, 120, dir.path());
  const uint32_t frameLen = 2 * 160 * 120 + 128;
  std::mutex holdM;
  std::condition_variable holdCv;
  bool dropsSeen = false;
  rig.engine.setPoolBudget(12ull * frameLen);
  rig.engine.setWriteHook([&](uint64_t call, size_t n) {
    if (call == 1) {  // the first piece after the head area waits until the pool ran over
      std::unique_lock<std::mutex> lk(holdM);
      holdCv.wait_for(lk, 10s, [&] { return dropsSeen; });
    }
    return n;
  });
  constexpr uint32_t kFrames = 1500;
  uint64_t handedOver = 0;
  {
    Worker worker(rig);
    std::mutex cfgM;
    std::condition_variable cfgCv;
    bool configured = false;
    worker.onStart = [&] {
      rig.engine.configure(s);
      std::lock_guard<std::mutex> lk(cfgM);
      configured = true;
      cfgCv.notify_all();
    };
    worker.post({-2, nullptr});
    {
      std::unique_lock<std::mutex> lk(cfgM);
      ASSERT_TRUE(cfgCv.wait_for(lk, 10s, [&] { return configured; }));
    }
    worker.post({257, nullptr});
    std::vector<uint8_t> bytes, bgra;
    for (uint32_t i = 0; i < kFrames; ++i) {
      makeFrame(160, 120, i, 0, bytes, bgra);
      recordcore::PoolFrame* f =
          rig.pool.fill(bytes.data(), uint32_t(bytes.size()), bgra.data(), uint32_t(bgra.size()));
      // The producer's memory is scribbled over at once: only the pool copy may be recorded.
      std::fill(bytes.begin() + 128, bytes.end(), 0x5A);
      if (f == nullptr) {
        std::lock_guard<std::mutex> lk(holdM);
        dropsSeen = true;
        holdCv.notify_all();
        continue;
      }
      ++handedOver;
      worker.post({0, f});
    }
    worker.post({513, nullptr});
  }
  ASSERT_EQ(rig.engine.state(), 0);
  EXPECT_EQ(rig.last.error, 0);
  EXPECT_GT(rig.pool.dropped(), 0u);
  EXPECT_EQ(rig.pool.inUse(), 0u);
  EXPECT_LE(rig.pool.peakInUse(), rig.pool.capacity());
  EXPECT_EQ(handedOver + rig.pool.dropped(), kFrames);
  EXPECT_EQ(rig.last.framesWritten, handedOver);

  const auto f = pythonFacts("stream", rig.last.fileName);
  EXPECT_EQ(num(f, "frames"), int64_t(handedOver));
  EXPECT_EQ(num(f, "backwards"), 0);
  // Drops at the very end or start leave no gap inside the sequence.
  EXPECT_LE(num(f, "missing"), int64_t(rig.pool.dropped()));
  EXPECT_EQ(num(f, "missing") + num(f, "frames") + num(f, "first_index") + (kFrames - 1 - num(f, "last_index")),
            int64_t(kFrames));
  const SdkRead r = readWithSdk(rig.last.fileName, 160, 120);
  EXPECT_EQ(r.count, int(handedOver));
  EXPECT_EQ(r.wrongCodes, 0);
}

}  // namespace
