// The shown-frame copy's limits: an independent copy of head, codes and image, and refusals that
// leave the earlier copy whole.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FrameCopy.h"

namespace {

struct RawFrame {
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> image;
  FrameSlot slot{};
  RawFrame(uint16_t w, uint16_t h, bool withImage) : bytes(128 + size_t(w) * h * 2), image(size_t(w) * h) {
    auto* head = reinterpret_cast<DataFrameHead*>(bytes.data());
    head->width = w;
    head->height = h;
    head->frameIndex = 77;
    auto* codes = reinterpret_cast<int16_t*>(bytes.data() + 128);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
      codes[i] = static_cast<int16_t>(i * 3 - 1000);
      image[i] = 0xFF000000u | static_cast<uint32_t>(i);
    }
    slot.head = head;
    slot.data = codes;
    slot.image = withImage ? image.data() : nullptr;
    slot.frameNumber = 77;
  }
};

TEST(FrameCopyLimits, CopiesHeadCodesAndImageIndependently) {
  RawFrame src(32, 8, true);
  FrameCopy copy;
  ASSERT_TRUE(copy.assign(src.slot));
  TempData* r = copy.record();
  ASSERT_NE(r->head, src.slot.head);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(r->data), reinterpret_cast<uint8_t*>(r->head) + 128);
  EXPECT_EQ(std::memcmp(r->head, src.bytes.data(), src.bytes.size()), 0);
  EXPECT_EQ(std::memcmp(r->image, src.image.data(), src.image.size() * 4), 0);
  EXPECT_EQ(r->frameNumber, 77);
  // The source is refilled: the copy keeps what it took.
  std::memset(src.bytes.data() + 128, 0, src.bytes.size() - 128);
  EXPECT_EQ(r->data[5], 5 * 3 - 1000);

  RawFrame noImage(4, 4, false);
  ASSERT_TRUE(copy.assign(noImage.slot));
  EXPECT_EQ(copy.record()->image, nullptr);
  EXPECT_EQ(copy.record()->head->width, 4);
}

TEST(FrameCopyLimits, RefusesMissingAndOversizedFrames) {
  FrameCopy copy;
  RawFrame ok(8, 8, true);
  ASSERT_TRUE(copy.assign(ok.slot));
  FrameSlot empty{};
  EXPECT_FALSE(copy.assign(empty));
  // A head claiming more than any camera sends is refused before anything is sized or read.
  RawFrame liar(8, 8, true);
  reinterpret_cast<DataFrameHead*>(liar.bytes.data())->width = 65535;
  reinterpret_cast<DataFrameHead*>(liar.bytes.data())->height = 65535;
  EXPECT_FALSE(copy.assign(liar.slot));
  RawFrame zero(8, 8, true);
  reinterpret_cast<DataFrameHead*>(zero.bytes.data())->height = 0;
  EXPECT_FALSE(copy.assign(zero.slot));
  // The earlier copy is untouched by the refusals.
  EXPECT_EQ(copy.record()->head->width, 8);
}

}  // namespace
