#include "push/PushBlocks.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdlib>

namespace ostrel::push {

namespace {

// Blocks from this size on are advised onto huge pages and kept for reuse; smaller ones are the
// allocator's business (it reuses them well on its own).
constexpr size_t kLargeBlock = 4u << 20;
constexpr size_t kHugePage = 2u << 20;
// At most this much freed memory waits for reuse, and only for this long.
constexpr size_t kKeepBytes = 512u << 20;
constexpr auto kKeepTime = std::chrono::seconds(10);

void adviseHuge(void* block, size_t size) {
  auto first = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
  auto end = (reinterpret_cast<uintptr_t>(block) + size) & ~uintptr_t(kHugePage - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);  // a hint only
}

}  // namespace

void* MessageBlocks::take(uint64_t size) {
  if (size > SIZE_MAX) return nullptr;
  const size_t n = static_cast<size_t>(size);
  if (n >= kLargeBlock) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The smallest kept block that fits, unless it is more than twice the size asked for.
    size_t best = kept_.size();
    for (size_t i = 0; i < kept_.size(); ++i) {
      if (kept_[i].capacity >= n && kept_[i].capacity / 2 <= n &&
          (best == kept_.size() || kept_[i].capacity < kept_[best].capacity))
        best = i;
    }
    if (best != kept_.size()) {
      void* block = kept_[best].block;
      keptBytes_ -= kept_[best].capacity;
      kept_.erase(kept_.begin() + static_cast<ptrdiff_t>(best));
      return block;
    }
  }
  void* block = std::malloc(n);
  if (block && n >= kLargeBlock) adviseHuge(block, n);
  return block;
}

void MessageBlocks::give(void* block) {
  if (!block) return;
  const size_t capacity = malloc_usable_size(block);
  if (capacity >= kLargeBlock) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (keptBytes_ + capacity <= kKeepBytes) {
      try {
        kept_.push_back(Kept{block, capacity, Clock::now()});
        keptBytes_ += capacity;
        return;
      } catch (const std::bad_alloc&) {
      }
    }
  }
  std::free(block);
}

MessageBlocks::Clock::time_point MessageBlocks::trim(Clock::time_point now) {
  std::vector<void*> expired;
  Clock::time_point next = Clock::time_point::max();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < kept_.size();) {
      if (now - kept_[i].since >= kKeepTime) {
        expired.push_back(kept_[i].block);
        keptBytes_ -= kept_[i].capacity;
        kept_.erase(kept_.begin() + static_cast<ptrdiff_t>(i));
        continue;
      }
      next = std::min(next, kept_[i].since + kKeepTime);
      ++i;
    }
  }
  for (void* b : expired) std::free(b);
  return next;
}

void MessageBlocks::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Kept& k : kept_) std::free(k.block);
  kept_.clear();
  keptBytes_ = 0;
}

}  // namespace ostrel::push
