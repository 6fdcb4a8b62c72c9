// Memory of received messages. On this platform the first write to fresh memory costs far more
// than the copy out of the socket (every page is faulted in while the receive copies into it), so
// a large message's block is advised onto huge pages, and a freed large block is kept a while for
// the next large message instead of going back to the system at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace ostrel::push {

class MessageBlocks {
 public:
  using Clock = std::chrono::steady_clock;

  MessageBlocks() = default;
  MessageBlocks(const MessageBlocks&) = delete;
  MessageBlocks& operator=(const MessageBlocks&) = delete;
  ~MessageBlocks() { clear(); }

  // A block of at least `size` bytes that give() or free() releases; null when out of memory.
  void* take(uint64_t size);
  // Releases a block from take() (null is ignored). Any thread.
  void give(void* block);
  // Frees the blocks kept longer than the keeping time; the time of the next such expiry, or
  // Clock::time_point::max() when nothing is kept.
  Clock::time_point trim(Clock::time_point now);
  // Frees every kept block.
  void clear();

 private:
  struct Kept {
    void* block;
    size_t capacity;
    Clock::time_point since;
  };
  std::mutex mutex_;
  std::vector<Kept> kept_;  // guarded by mutex_
  size_t keptBytes_ = 0;    // guarded by mutex_
};

}  // namespace ostrel::push
