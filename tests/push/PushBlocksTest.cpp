// Memory of received messages: which freed blocks wait for reuse, for how long, and how many.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>

#include "push/PushBlocks.h"

using ostrel::push::MessageBlocks;

TEST(PushBlocks, FreedLargeBlocksServeLaterMessagesOfASimilarSizeForAWhile) {
  constexpr uint64_t MiB = 1 << 20;
  MessageBlocks blocks;
  void* held[3];
  const auto t0 = MessageBlocks::Clock::now();

  void* large = blocks.take(8 * MiB);
  ASSERT_NE(large, nullptr);
  EXPECT_GE(malloc_usable_size(large), 8 * MiB);
  blocks.give(large);
  // Too big, or so small that the block would mostly be wasted: fresh memory.
  void* bigger = blocks.take(9 * MiB);
  void* smaller = blocks.take(4 * MiB - 1);
  EXPECT_NE(bigger, large);
  EXPECT_NE(smaller, large);
  // Half the size or more: the kept block.
  void* similar = blocks.take(5 * MiB);
  EXPECT_EQ(similar, large);
  blocks.give(bigger);
  blocks.give(smaller);
  blocks.give(similar);
  blocks.give(nullptr);

  // Kept blocks expire ten seconds after they were given back.
  const auto expiry = blocks.trim(MessageBlocks::Clock::now());
  EXPECT_GE(expiry, t0 + std::chrono::seconds(10));
  EXPECT_LT(expiry, MessageBlocks::Clock::now() + std::chrono::seconds(10));
  EXPECT_EQ(blocks.trim(t0 + std::chrono::hours(1)), MessageBlocks::Clock::time_point::max());

  // No more than 512 MiB wait at once: of three 200 MiB blocks, the third goes back at once. A
  // kept block still holds what was written into it; fresh memory does not.
  const uint64_t mark = 0x6b6570745f626c6bULL;
  for (int i = 0; i < 3; ++i) {
    void* p = blocks.take(200 * MiB);
    ASSERT_NE(p, nullptr);
    memcpy(p, &mark, sizeof mark);
    held[i] = p;
  }
  for (void* p : held) blocks.give(p);
  int kept = 0;
  for (void*& p : held) {
    p = blocks.take(200 * MiB);
    kept += memcmp(p, &mark, sizeof mark) == 0;
  }
  EXPECT_EQ(kept, 2);
  for (void* p : held) blocks.give(p);
}
