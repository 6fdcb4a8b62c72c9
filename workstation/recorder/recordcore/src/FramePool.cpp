#include "recordcore/FramePool.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace recordcore {

int FramePool::configure(uint32_t frameLen, uint64_t budgetBytes, uint32_t minFrames, uint32_t maxFrames,
                         uint32_t coverLen) {
  uint64_t want = frameLen > 0 ? budgetBytes / frameLen : 0;
  want = std::clamp<uint64_t>(want, minFrames, std::max(minFrames, maxFrames));
  std::lock_guard<std::mutex> lk(mutex_);
  frameLen_ = frameLen;
  try {
    if (coverLen > 0 && coverSpare_.size() != coverLen) {
      coverSpare_.assign(coverLen, 0);
      coverSpare_.shrink_to_fit();
    }
    // Free frames take the new length now; frames that are out take it when they come back.
    for (PoolFrame* f : free_) {
      f->bytes.resize(frameLen);
      f->bytes.shrink_to_fit();
      f->frameLen = 0;
    }
    while (all_.size() < want) {
      auto f = std::make_unique<PoolFrame>();
      f->bytes.resize(frameLen);
      free_.push_back(f.get());
      all_.push_back(std::move(f));
    }
  } catch (const std::bad_alloc&) {
    if (all_.size() < minFrames) {
      capacity_ = static_cast<uint32_t>(all_.size());
      return -5;
    }
  }
  capacity_ = static_cast<uint32_t>(all_.size());
  return 0;
}

PoolFrame* FramePool::fill(const uint8_t* headAndCodes, uint32_t frameLen, const uint8_t* bgra, uint32_t coverLen) {
  PoolFrame* f = nullptr;
  {
    std::lock_guard<std::mutex> lk(mutex_);
    if (frameLen == 0 || frameLen != frameLen_) return nullptr;
    if (free_.empty()) {
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return nullptr;
    }
    f = free_.back();
    if (f->bytes.size() < frameLen) {  // its buffer could not be had at the last resize
      dropped_.fetch_add(1, std::memory_order_relaxed);
      return nullptr;
    }
    free_.pop_back();
    peak_ = std::max(peak_, ++inUse_);
  }
  // The frame is this thread's alone until it is queued.
  f->frameLen = frameLen;
  std::memcpy(f->bytes.data(), headAndCodes, frameLen);
  f->hasCover = false;
  if (bgra != nullptr && coverLen > 0 && coverWanted_.exchange(false, std::memory_order_acq_rel)) {
    {
      std::lock_guard<std::mutex> lk(mutex_);
      f->cover.swap(coverSpare_);
    }
    if (f->cover.size() == coverLen) {
      std::memcpy(f->cover.data(), bgra, coverLen);
      f->hasCover = true;
    } else {
      std::lock_guard<std::mutex> lk(mutex_);  // no cover of this size: the head area gets a blank one
      f->cover.swap(coverSpare_);
    }
  }
  return f;
}

void FramePool::release(PoolFrame* f) {
  if (f == nullptr) return;
  std::lock_guard<std::mutex> lk(mutex_);
  if (f->hasCover) {
    f->cover.swap(coverSpare_);
    f->hasCover = false;
  }
  if (f->bytes.size() != frameLen_) {
    try {
      f->bytes.resize(frameLen_);
      f->bytes.shrink_to_fit();
    } catch (const std::bad_alloc&) {
      f->bytes.clear();  // a frame of no length never matches: it stays out of use
    }
  }
  f->frameLen = 0;
  --inUse_;
  free_.push_back(f);
}

uint32_t FramePool::frameLen() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return frameLen_;
}
uint32_t FramePool::capacity() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return capacity_;
}
uint32_t FramePool::inUse() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return inUse_;
}
uint32_t FramePool::peakInUse() const {
  std::lock_guard<std::mutex> lk(mutex_);
  return peak_;
}
void FramePool::resetCounters() {
  std::lock_guard<std::mutex> lk(mutex_);
  peak_ = inUse_;
  dropped_.store(0, std::memory_order_relaxed);
}

}  // namespace recordcore
