#include <cstring>

#include "PlaybackFixture.h"
#include "StreamKit.h"

using namespace playbacktest;
using ostrel::test::TestFrame;

namespace {

constexpr int W = 160, H = 120, P = W * H;

// Frames with column stripes under noise, so destripe and denoise both change them.
std::vector<TestFrame> stripedFrames(int count) {
  std::vector<TestFrame> v;
  for (int i = 0; i < count; ++i) {
    TestFrame f = ostrel::test::noiseFrame(W, H, 3000, 40, uint32_t(17 + i));
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) f.at(x, y) = int16_t(f.at(x, y) + ((x * 37) % 11) * 6 + 2 * i + y);
    f.head.frameIndex = uint16_t(i);
    v.push_back(f);
  }
  return v;
}

struct Direct {
  StretchContext* stretch = strCreate();
  DestripState* destrip = IRDestrip_Create();
  DenoiseState* denoise = IRDenoise_Create();
  PaletteData* palettes;
  int count = 0;
  Direct() { palettes = Ostrel_AllocPaletteData(&count); }
  ~Direct() {
    strFree(stretch);
    IRDestrip_Free(&destrip);
    IRDenoise_Free(&denoise);
    Ostrel_FreePaletteData(&palettes);
  }
};

}  // namespace

TEST_F(PlaybackTest, ColoursEqualTheStretchEngineCalledDirectly) {
  const std::string path = golden().scratch("colour.stream");
  const auto frames = stripedFrames(4);
  ASSERT_EQ(writeStream(path, frames), 0);
  ASSERT_EQ(OstrelPlayback_OpenFile(h, path.c_str(), 2), 0);
  StretchCtl mine{};
  mine.flags = StretchCtl_Type | StretchCtl_Gain;
  mine.strechType = 2;
  mine.gain = 1.5f;
  const int palette = 7;
  ASSERT_EQ(OstrelPlayback_SetImage(h, &mine, &palette), 0);
  StretchCtl now{};
  int index = -1;
  ASSERT_EQ(OstrelPlayback_GetImage(h, &now, &index), 0);
  EXPECT_EQ(index, 7);
  EXPECT_EQ(now.strechType, 2);
  EXPECT_FLOAT_EQ(now.gain, 1.5f);
  EXPECT_EQ(now.smoothing, 1);  // streams smooth
  const int bad = 99;
  ASSERT_EQ(OstrelPlayback_SetImage(h, nullptr, &bad), 0);
  ASSERT_EQ(OstrelPlayback_GetImage(h, nullptr, &index), 0);
  EXPECT_EQ(index, 7);

  Direct d;
  ASSERT_NE(d.palettes, nullptr);
  // A fresh engine with the same settings sees the same frames in the same order.
  now.flags = 0xFFFFFFFFu;
  ASSERT_EQ(strSetCtl(d.stretch, &now), 0);
  std::vector<uint32_t> bgra(P);
  for (int i : {0, 1, 3, 2, 2}) {
    PreviewFrame f{};
    ASSERT_EQ(OstrelPlayback_ReadFrame(h, i, &f), 0);
    ASSERT_EQ(strTemp2Bgra(d.stretch, frames[i].codes.data(), &frames[i].head, bgra.data(), d.palettes[7].colors), 0);
    EXPECT_EQ(std::memcmp(f.image, bgra.data(), bgra.size() * 4), 0) << i;
  }
}

TEST_F(PlaybackTest, StreamFiltersMatchDirectCallsAtTheRefreshCadence) {
  const std::string path = golden().scratch("filter.stream");
  const auto frames = stripedFrames(5);
  ASSERT_EQ(writeStream(path, frames), 0);
  ASSERT_EQ(OstrelPlayback_OpenFile(h, path.c_str(), 2), 0);
  DestripInfoRecord dr{};
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &dr, 0), 0);
  dr.type = 1;
  dr.sub_t = 3;
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &dr, 1), 0);
  DenoiseInfoRecord nr{};
  ASSERT_EQ(OstrelPlayback_ConfigDenoise(h, &nr, 0), 0);
  nr.type = 1;
  ASSERT_EQ(OstrelPlayback_ConfigDenoise(h, &nr, 1), 0);

  Direct d;
  dr.width = W;
  dr.height = H;
  nr.width = W;
  nr.height = H;
  ASSERT_EQ(IRDestrip_SetConfig(d.destrip, &dr), 0);
  ASSERT_EQ(IRDenoise_SetConfig(d.denoise, &nr), 0);
  int changed = 0;
  for (int i : {0, 1, 2, 3, 4, 2, 0}) {
    PreviewFrame f{};
    ASSERT_EQ(OstrelPlayback_ReadFrame(h, i, &f), 0);
    std::vector<int16_t> codes = frames[i].codes;
    ASSERT_EQ(IRDestrip_Execute(d.destrip, codes.data(), W, H, 1), 0);
    ASSERT_EQ(IRDenoise_Execute(d.denoise, codes.data(), W, H), 0);
    EXPECT_EQ(std::memcmp(f.data, codes.data(), codes.size() * 2), 0) << i;
    changed += std::memcmp(f.data, frames[i].codes.data(), codes.size() * 2) != 0;
  }
  EXPECT_EQ(changed, 7);
  // The stored record now carries the frame size.
  DestripInfoRecord back{};
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &back, 0), 0);
  EXPECT_EQ(back.width, W);
  EXPECT_EQ(back.height, H);
  EXPECT_EQ(back.sub_t, 3);
}

TEST_F(PlaybackTest, APictureIsRefilteredFromItsStoredCodesEveryRead) {
  const auto frames = stripedFrames(1);
  ASSERT_EQ(OstrelPlayback_OpenMem(h, &frames[0].head, frames[0].codes.data()), 0);
  int index = -1;
  const int other = 3;
  ASSERT_EQ(OstrelPlayback_SetImage(h, nullptr, &other), 0);
  DestripInfoRecord dr{};
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &dr, 0), 0);
  dr.type = 2;
  dr.sub_t = 4;
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &dr, 1), 0);
  dr.width = W;
  dr.height = H;
  Direct d;
  ASSERT_EQ(IRDestrip_SetConfig(d.destrip, &dr), 0);
  for (int read = 0; read < 3; ++read) {
    PreviewFrame f{};
    ASSERT_EQ(OstrelPlayback_ReadFrame(h, 12345, &f), 0);
    std::vector<int16_t> codes = frames[0].codes;
    ASSERT_EQ(IRDestrip_Execute(d.destrip, codes.data(), W, H, 0), 0);
    EXPECT_EQ(std::memcmp(f.data, codes.data(), codes.size() * 2), 0) << read;
  }
  PlaybackCover cover{};
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  EXPECT_EQ(std::memcmp(cover.data, frames[0].codes.data(), size_t(P) * 2), 0);  // stored codes untouched
  EXPECT_EQ(cover.head->width, W);
  EXPECT_EQ(cover.imageSize, 0);
  // Loading from memory starts again from palette 5.
  ASSERT_EQ(OstrelPlayback_OpenMem(h, &frames[0].head, frames[0].codes.data()), 0);
  ASSERT_EQ(OstrelPlayback_GetImage(h, nullptr, &index), 0);
  EXPECT_EQ(index, 5);
}
