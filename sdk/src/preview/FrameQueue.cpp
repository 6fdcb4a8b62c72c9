#include "preview/FrameQueue.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ostrel::sdk {

FrameQueue* FrameQueue_CreateTemp(int width, int height, uint32_t records) {
  if (width <= 0 || height <= 0 || records == 0) return nullptr;
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels > kMaxPreviewPixels) return nullptr;
  const size_t stride = 8 * pixels + sizeof(DataFrameHead) + kFrameStatsArea;
  const size_t header = (sizeof(FrameQueue) + 63) & ~size_t{63};
  const size_t recordBytes = (records * sizeof(PreviewFrame) + 63) & ~size_t{63};
  const size_t total = header + recordBytes + records * stride;
  auto* block = static_cast<uint8_t*>(std::calloc(1, total));
  if (!block) return nullptr;
  auto* q = new (block) FrameQueue{};
  q->count = records;
  q->width = static_cast<uint16_t>(width);
  q->height = static_cast<uint16_t>(height);
  q->payloadCapacity = static_cast<uint32_t>(2 * pixels);
  q->records = reinterpret_cast<PreviewFrame*>(block + header);
  q->stride = stride;
  uint8_t* areas = block + header + recordBytes;
  for (uint32_t i = 0; i < records; ++i) {
    uint8_t* a = areas + i * stride;
    PreviewFrame& r = q->records[i];
    r.head = reinterpret_cast<DataFrameHead*>(a);
    r.data = reinterpret_cast<int16_t*>(a + sizeof(DataFrameHead));
    r.work = reinterpret_cast<int16_t*>(a + sizeof(DataFrameHead) + 2 * pixels);
    r.image = reinterpret_cast<uint32_t*>(a + sizeof(DataFrameHead) + 4 * pixels);
    r.extra = a + sizeof(DataFrameHead) + 8 * pixels;
    r.previous = &q->records[(i + records - 1) % records];
  }
  return q;
}

namespace {
// Image-and-extra layouts of the video kinds.
FrameQueue* createPictureStore(int width, int height, uint32_t records, size_t extraPerPixel, size_t extraFixed,
                               uint32_t payloadCapacity) {
  if (width <= 0 || height <= 0) return nullptr;
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels > kMaxPreviewPixels) return nullptr;
  const size_t extra = (extraPerPixel * pixels + extraFixed + 63) & ~size_t{63};
  const size_t stride = 4 * pixels + extra;
  const size_t header = (sizeof(FrameQueue) + 63) & ~size_t{63};
  const size_t recordBytes = (records * sizeof(PreviewFrame) + 63) & ~size_t{63};
  auto* block = static_cast<uint8_t*>(std::calloc(1, header + recordBytes + records * stride));
  if (!block) return nullptr;
  auto* q = new (block) FrameQueue{};
  q->count = records;
  q->width = static_cast<uint16_t>(width);
  q->height = static_cast<uint16_t>(height);
  q->payloadCapacity = payloadCapacity;
  q->records = reinterpret_cast<PreviewFrame*>(block + header);
  q->stride = stride;
  uint8_t* areas = block + header + recordBytes;
  for (uint32_t i = 0; i < records; ++i) {
    uint8_t* a = areas + i * stride;
    PreviewFrame& r = q->records[i];
    r.image = reinterpret_cast<uint32_t*>(a);
    r.extra = a + 4 * pixels;
    r.previous = &q->records[(i + records - 1) % records];
  }
  return q;
}
}  // namespace

FrameQueue* FrameQueue_CreateVideo(int width, int height) {
  const size_t pixels = static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(height > 0 ? height : 0);
  return createPictureStore(width, height, 16, 3, kVideoExtraSlack,
                            static_cast<uint32_t>(std::min<size_t>(3 * pixels + kVideoExtraSlack, UINT32_MAX)));
}

FrameQueue* FrameQueue_CreateRtsp(int width, int height) {
  return createPictureStore(width, height, 8, 1, kRtspPlaneOffset, 0);
}

void FrameQueue_Free(FrameQueue* q) {
  if (!q) return;
  q->~FrameQueue();
  std::free(q);
}

bool FrameHandoff::push(PreviewFrame* frame) {
  std::unique_lock<std::mutex> lk(mutex_);
  if (!stopped_ && write_ - read_ >= kSlots) {
    ++blockedPushes_;
    pushBlocked_.notify_all();
  }
  notFull_.wait(lk, [&] { return stopped_ || write_ - read_ < kSlots; });
  if (stopped_) return false;
  slots_[write_ % kSlots] = frame;
  ++write_;
  notEmpty_.notify_one();
  return true;
}

PreviewFrame* FrameHandoff::pop() {
  std::unique_lock<std::mutex> lk(mutex_);
  notEmpty_.wait(lk, [&] { return read_ != write_; });
  PreviewFrame* f = slots_[read_ % kSlots];
  ++read_;
  notFull_.notify_one();
  return f;
}

void FrameHandoff::stop() {
  std::lock_guard<std::mutex> lk(mutex_);
  stopped_ = true;
  write_ = read_ = 0;
  notFull_.notify_all();
}

bool FrameHandoff::waitForBlockedPush(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lk(mutex_);
  return pushBlocked_.wait_for(lk, limit, [&] { return blockedPushes_ > 0; });
}

void FrameHandoff::pushEnd() {
  std::lock_guard<std::mutex> lk(mutex_);
  slots_[write_ % kSlots] = nullptr;
  ++write_;
  notEmpty_.notify_all();
}

}  // namespace ostrel::sdk
