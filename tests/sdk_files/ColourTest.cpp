// Handle lifecycle, colouring and whole-stream measurement against the golden files, whose codes
// are 2000 + x + 7y + 50f at scale 10, offset 0 (make_golden.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "GoldenFiles.h"
#include "OstrelSDK.h"

using ostrel::test::Golden;
using ostrel::test::Handle;

namespace {

constexpr int W = 160, H = 120, P = W * H;
constexpr int64_t kT0 = 133000000000000000LL;
constexpr int64_t kFirstFrame = 4LL * P + 1216;
constexpr int64_t kFrameSize = 2LL * P + 128;
constexpr int kWhiteHot = 9;

int goldenCode(int x, int y, int f) {
  return 2000 + x + 7 * y + 50 * f;
}

// Frame f of a golden stream, cut out of the file bytes at offsets computed from the layout.
struct RawFrame {
  DataFrameHead head;
  std::vector<int16_t> codes;
};
RawFrame streamFrame(const std::vector<uint8_t>& file, int f) {
  RawFrame r;
  const uint8_t* at = file.data() + kFirstFrame + f * kFrameSize;
  memcpy(&r.head, at, sizeof r.head);
  r.codes.resize(P);
  memcpy(r.codes.data(), at + 128, 2 * P);
  return r;
}

MeaItem item(uint8_t type, std::initializer_list<MeaPoint> points) {
  MeaItem it;
  memset(&it, 0, sizeof it);
  it.meaType = type;
  it.pointCount = static_cast<uint8_t>(points.size());
  int i = 0;
  for (const MeaPoint& p : points) it.points[i++] = p;
  return it;
}

// The StretchCtl a stream's record is opened with: all field groups, smoothing on.
StretchCtl openedCtl(const uint8_t recordCtl[64]) {
  StretchCtl s;
  memcpy(&s, recordCtl, sizeof s);
  s.flags = 0x107FB;
  s.smoothing = 1;
  return s;
}

std::vector<uint32_t> paletteColours(int index) {
  int count = 0;
  PaletteData* p = Ostrel_AllocPaletteData(&count);
  std::vector<uint32_t> colours(p[index].colors, p[index].colors + 256);
  Ostrel_FreePaletteData(&p);
  return colours;
}

}  // namespace

TEST(ThermalHandle, CreateFreeAndClosedHandle) {
  TFContext* c = TF_Create();
  ASSERT_NE(c, nullptr);
  TFFrame fr{};
  TFColorMap map;
  MeaItemList list{};
  list.count = 1;
  MeaResultData* data = reinterpret_cast<MeaResultData*>(&list);
  EXPECT_EQ(TF_ReadFrame(c, 0, &fr), OSTREL_E_STATE);
  EXPECT_EQ(TF_ReadFrameWithMap(c, 0, &fr, &map), OSTREL_E_STATE);
  EXPECT_EQ(TF_SetImage(c, 1, nullptr), OSTREL_E_STATE);
  EXPECT_EQ(TF_CreateMeaResultData(c, &list, &data), OSTREL_E_STATE);
  EXPECT_EQ(data, nullptr) << "a failure leaves no stale pointer";
  // Open, close and reopen on one handle; freeing an open handle closes its file.
  ASSERT_TRUE(Golden::get().ok());
  ASSERT_EQ(TF_Open(c, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  EXPECT_EQ(TF_ReadFrame(c, 2, &fr), 0);
  EXPECT_EQ(TF_Close(c), 0);
  EXPECT_EQ(TF_ReadFrame(c, 0, &fr), OSTREL_E_STATE);
  ASSERT_EQ(TF_Open(c, Golden::get().path("pic_plain.jpg").c_str(), TfOpenType_Picture), 0);
  EXPECT_EQ(TF_ReadFrame(c, 0, &fr), 0);
  ASSERT_EQ(TF_Open(c, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  TF_Free(&c);
  EXPECT_EQ(c, nullptr);
  TF_Free(&c);  // null handle: ignored
  TF_Free(nullptr);
}

TEST(ThermalHandle, BadArguments) {
  ASSERT_TRUE(Golden::get().ok());
  TFFrame fr{};
  TFColorMap map;
  MeaItemList list{};
  MeaResultData* data = nullptr;
  EXPECT_EQ(TF_ReadFrame(nullptr, 0, &fr), OSTREL_E_HANDLE);
  EXPECT_EQ(TF_ReadFrameWithMap(nullptr, 0, &fr, &map), OSTREL_E_HANDLE);
  EXPECT_EQ(TF_SetImage(nullptr, 0, nullptr), OSTREL_E_HANDLE);
  EXPECT_EQ(TF_CreateMeaResultData(nullptr, &list, &data), OSTREL_E_HANDLE);

  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  EXPECT_EQ(TF_ReadFrame(h.ctx, 0, nullptr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_ReadFrame(h.ctx, -1, &fr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_ReadFrame(h.ctx, 3, &fr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_ReadFrameWithMap(h.ctx, 0, &fr, nullptr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_ReadFrameWithMap(h.ctx, 3, &fr, &map), OSTREL_E_ARGUMENT);
  for (int count : {0, 33, -1}) {
    list.count = count;
    data = reinterpret_cast<MeaResultData*>(&list);
    EXPECT_EQ(TF_CreateMeaResultData(h.ctx, &list, &data), OSTREL_E_ARGUMENT) << count;
    EXPECT_EQ(data, nullptr);
  }
  EXPECT_EQ(TF_CreateMeaResultData(h.ctx, nullptr, &data), OSTREL_E_ARGUMENT);
  list.count = 1;
  EXPECT_EQ(TF_CreateMeaResultData(h.ctx, &list, nullptr), OSTREL_E_ARGUMENT);
  // An item outside the frame is the measurement engine's error; nothing is handed out.
  list.items[0] = item(MEA_TYPE_POINT, {{W, 0}});
  data = reinterpret_cast<MeaResultData*>(&list);
  EXPECT_EQ(TF_CreateMeaResultData(h.ctx, &list, &data), OSTREL_E_ARGUMENT);
  EXPECT_EQ(data, nullptr);
  // Out-of-range palette indexes keep the palette; the call still succeeds.
  EXPECT_EQ(TF_SetImage(h.ctx, 12, nullptr), 0);
  EXPECT_EQ(TF_SetImage(h.ctx, -1, nullptr), 0);

  // Measurement is for streams only.
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("pic_plain.jpg").c_str(), TfOpenType_Picture), 0);
  list.items[0] = item(MEA_TYPE_FRAME, {});
  EXPECT_EQ(TF_CreateMeaResultData(h.ctx, &list, &data), OSTREL_E_STATE);
  EXPECT_EQ(data, nullptr);
}

// Statistics worked out from the code formula: rectangle (10,10)-(40,30) inclusive has its
// maximum 2000+40+210 at (40,30), its minimum 2000+10+70 at (10,10) and its mean at the centre
// (25,20): 2165; point (80,60) is 2500; the whole frame spans 2000 .. 2992. Each frame adds 50.
TEST(ThermalMeasure, EveryFrameOfTheGoldenStream) {
  ASSERT_TRUE(Golden::get().ok());
  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3_conf.stream").c_str(), TfOpenType_Stream), 0);
  // The record's two stored items (rectangle, point) plus a whole-frame item.
  TFRaw raw;
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  ASSERT_EQ(raw.conf->meaCount, 2);
  MeaItemList list{};
  list.count = 3;
  memcpy(&list.items[0], raw.conf->meaItems[0], sizeof(MeaItem));
  memcpy(&list.items[1], raw.conf->meaItems[1], sizeof(MeaItem));
  list.items[2] = item(MEA_TYPE_FRAME, {});
  ASSERT_EQ(list.items[0].meaType, MEA_TYPE_RECT);
  ASSERT_EQ(list.items[1].meaType, MEA_TYPE_POINT);

  MeaResultData* d = nullptr;
  ASSERT_EQ(TF_CreateMeaResultData(h.ctx, &list, &d), 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->frameCount, 3);
  EXPECT_EQ(d->itemCount, 3);
  // Both arrays lie inside the one block, after the head.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(d->times), reinterpret_cast<uint8_t*>(d) + sizeof(MeaResultData));
  EXPECT_EQ(reinterpret_cast<uint8_t*>(d->results), reinterpret_cast<uint8_t*>(d->times) + 3 * 8);
  for (int f = 0; f < 3; ++f) {
    SCOPED_TRACE(f);
    EXPECT_EQ(d->times[f], kT0 + 400000LL * f);
    const MeaResult& rect = d->results[f * 3 + 0];
    EXPECT_NEAR(rect.max, 225.0f + 5 * f, 1e-3);
    EXPECT_NEAR(rect.min, 208.0f + 5 * f, 1e-3);
    EXPECT_NEAR(rect.avg, 216.5f + 5 * f, 1e-3);
    EXPECT_EQ(rect.maxX, 40);
    EXPECT_EQ(rect.maxY, 30);
    EXPECT_EQ(rect.minX, 10);
    EXPECT_EQ(rect.minY, 10);
    const MeaResult& point = d->results[f * 3 + 1];
    EXPECT_NEAR(point.max, 250.0f + 5 * f, 1e-3);
    EXPECT_NEAR(point.avg, 250.0f + 5 * f, 1e-3);
    const MeaResult& whole = d->results[f * 3 + 2];
    EXPECT_NEAR(whole.max, goldenCode(W - 1, H - 1, f) / 10.0f, 1e-3);
    EXPECT_NEAR(whole.min, goldenCode(0, 0, f) / 10.0f, 1e-3);
  }
  free(d);
}

// A frame of another size inside the stream stops the run with -11 and hands out nothing.
TEST(ThermalMeasure, FrameOfAnotherSize) {
  ASSERT_TRUE(Golden::get().ok());
  std::vector<uint8_t> bytes = Golden::get().bytes("stream3.stream");
  uint16_t w = W / 2;
  memcpy(bytes.data() + kFirstFrame + 2 * kFrameSize, &w, 2);
  std::string path = Golden::get().scratch("measure-size.stream");
  ostrel::test::writeBytes(path, bytes);
  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, path.c_str(), TfOpenType_Stream), 0);
  MeaItemList list{};
  list.count = 1;
  list.items[0] = item(MEA_TYPE_FRAME, {});
  MeaResultData* d = reinterpret_cast<MeaResultData*>(&list);
  EXPECT_EQ(TF_CreateMeaResultData(h.ctx, &list, &d), OSTREL_E_MISMATCH);
  EXPECT_EQ(d, nullptr);
}

// With WhiteHot every TF_ReadFrame picture equals what a separate stretch engine makes of the
// same frames with the settings the file was opened with; the codes are the file's.
TEST(ThermalColour, StreamFramesMatchTheStretchEngine) {
  ASSERT_TRUE(Golden::get().ok());
  for (const char* name : {"stream3.stream", "stream3_conf.stream"}) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> file = Golden::get().bytes(name);
    Handle h;
    ASSERT_EQ(TF_Open(h.ctx, Golden::get().path(name).c_str(), TfOpenType_Stream), 0);
    TFRaw raw;
    ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
    StretchCtl ctl = openedCtl(raw.conf->stretchCtl);
    ASSERT_EQ(TF_SetImage(h.ctx, kWhiteHot, nullptr), 0);

    StretchContext* ref = strCreate();
    ASSERT_NE(ref, nullptr);
    ASSERT_EQ(strSetCtl(ref, &ctl), 0);
    std::vector<uint32_t> white = paletteColours(kWhiteHot);
    std::vector<uint32_t> expect(P);
    for (int f = 0; f < 3; ++f) {
      SCOPED_TRACE(f);
      TFFrame fr{};
      ASSERT_EQ(TF_ReadFrame(h.ctx, f, &fr), 0);
      RawFrame rf = streamFrame(file, f);
      ASSERT_EQ(strTemp2Bgra(ref, rf.codes.data(), &rf.head, expect.data(), white.data()), 0);
      EXPECT_EQ(memcmp(fr.bgra, expect.data(), 4 * P), 0);
      EXPECT_EQ(fr.head->frameIndex, f);
      EXPECT_EQ(fr.head->time, kT0 + 400000LL * f);
      EXPECT_EQ(fr.data[0], goldenCode(0, 0, f));
      EXPECT_EQ(fr.data[9 * W + 5], goldenCode(5, 9, f));
      EXPECT_EQ(fr.data[P - 1], goldenCode(W - 1, H - 1, f));
      // White hot: the hottest pixel is at least as bright as the coldest, and opaque.
      uint32_t hot = fr.bgra[P - 1], cold = fr.bgra[0];
      EXPECT_GE(hot & 0xFF, cold & 0xFF);
      EXPECT_EQ(hot >> 24, 0xFFu);
    }
    strFree(ref);
  }
}

// Opening takes the file's stretch settings: a stream whose record asks for another rule and a
// manual range colours differently from one opened with the default settings.
TEST(ThermalColour, OpenAppliesTheRecordedStretch) {
  ASSERT_TRUE(Golden::get().ok());
  Handle a, b;
  ASSERT_EQ(TF_Open(a.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  ASSERT_EQ(TF_Open(b.ctx, Golden::get().path("stream3_conf.stream").c_str(), TfOpenType_Stream), 0);
  ASSERT_EQ(TF_SetImage(a.ctx, kWhiteHot, nullptr), 0);
  ASSERT_EQ(TF_SetImage(b.ctx, kWhiteHot, nullptr), 0);
  TFFrame fa{}, fb{};
  ASSERT_EQ(TF_ReadFrame(a.ctx, 0, &fa), 0);
  ASSERT_EQ(TF_ReadFrame(b.ctx, 0, &fb), 0);
  EXPECT_EQ(memcmp(fa.data, fb.data, 2 * P), 0) << "same codes";
  EXPECT_NE(memcmp(fa.bgra, fb.bgra, 4 * P), 0) << "different stretch";
  // Handing b's settings to a makes their pictures equal from the next frame on (smoothing
  // starts again from the same frame in both).
  TFRaw raw;
  ASSERT_EQ(TF_ReadRaw(b.ctx, &raw), 0);
  StretchCtl ctl = openedCtl(raw.conf->stretchCtl);
  ctl.smoothing = 0;
  ASSERT_EQ(TF_SetImage(a.ctx, -1, &ctl), 0);
  ASSERT_EQ(TF_SetImage(b.ctx, -1, &ctl), 0);
  ASSERT_EQ(TF_ReadFrame(a.ctx, 1, &fa), 0);
  ASSERT_EQ(TF_ReadFrame(b.ctx, 1, &fb), 0);
  EXPECT_EQ(memcmp(fa.bgra, fb.bgra, 4 * P), 0);
}

// A picture's frame is slot 0 whatever the index, and colouring it again gives the same picture.
TEST(ThermalColour, PictureFrameIsSlotZero) {
  ASSERT_TRUE(Golden::get().ok());
  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("pic_plain.jpg").c_str(), TfOpenType_Picture), 0);
  TFFrame f1{}, f2{}, head{};
  ASSERT_EQ(TF_ReadFrame(h.ctx, 0, &f1), 0);
  std::vector<uint32_t> first(f1.bgra, f1.bgra + P);
  ASSERT_EQ(TF_ReadFrame(h.ctx, 77, &f2), 0);
  ASSERT_EQ(TF_ReadFrameHead(h.ctx, 5, &head), 0);
  EXPECT_EQ(f1.bgra, f2.bgra);
  EXPECT_EQ(f1.head, head.head);
  EXPECT_EQ(f1.data[P - 1], goldenCode(W - 1, H - 1, 0));
  EXPECT_EQ(memcmp(first.data(), f2.bgra, 4 * P), 0);
}

// Four slots: the fifth ring read reuses the first slot, the four before it are distinct.
TEST(ThermalColour, RingOfFourSlots) {
  ASSERT_TRUE(Golden::get().ok());
  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  TFFrame fr[5];
  for (int i = 0; i < 5; ++i) ASSERT_EQ(TF_ReadFrame(h.ctx, i % 3, &fr[i]), 0);
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(fr[i].bgra, fr[j].bgra);
  EXPECT_EQ(fr[4].bgra, fr[0].bgra);
  EXPECT_EQ(fr[4].head, fr[0].head);
  EXPECT_EQ(fr[4].head->frameIndex, 1) << "the first slot now holds the fifth read";
  EXPECT_EQ(fr[3].head->frameIndex, 0) << "the fourth read is still intact";
}

// The legend spans the lower cut to the upper cut through the mean at entry 85, its codes rise,
// the extremes are those of the frame, and each colour is one of the palette's.
TEST(ThermalColour, LegendOfTheLastFrame) {
  ASSERT_TRUE(Golden::get().ok());
  Handle h;
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  ASSERT_EQ(TF_SetImage(h.ctx, kWhiteHot, nullptr), 0);
  std::vector<uint32_t> white = paletteColours(kWhiteHot);
  for (int f = 0; f < 3; ++f) {
    SCOPED_TRACE(f);
    TFFrame fr{};
    TFColorMap map;
    memset(&map, 0xAB, sizeof map);
    ASSERT_EQ(TF_ReadFrameWithMap(h.ctx, f, &fr, &map), 0);
    EXPECT_EQ(map.minCode, goldenCode(0, 0, f));
    EXPECT_EQ(map.maxCode, goldenCode(W - 1, H - 1, f));
    EXPECT_LE(map.minCode, map.lowCode);
    EXPECT_LT(map.lowCode, map.highCode);
    EXPECT_LE(map.highCode, map.maxCode);
    EXPECT_GE(map.entries[0].code, map.lowCode);
    EXPECT_LE(map.entries[255].code, map.highCode);
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(map.entries[i].reserved, 0);
      if (i > 0) {
        EXPECT_GE(map.entries[i].code, map.entries[i - 1].code) << i;
      }
      bool inPalette = false;
      for (uint32_t c : white) inPalette |= c == map.entries[i].color;
      EXPECT_TRUE(inPalette) << i;
    }
    // White hot: the top of the legend is at least as bright as its bottom.
    EXPECT_GE(map.entries[255].color & 0xFF, map.entries[0].color & 0xFF);
  }
}
