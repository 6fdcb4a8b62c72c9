// The readers against the golden files of the struct script: exact codes and contents, every
// truncation, hostile trailers.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "GoldenFiles.h"
#include "files/Blocks.h"
#include "files/StreamFile.h"
#include "files/ThermalFileInternal.h"

using namespace ostrel::files;
using ostrel::test::Golden;
using ostrel::test::Handle;

namespace {

std::vector<std::string> goldenNames() {
  std::vector<std::string> names;
  for (auto& [name, _] : Golden::get().manifest().items()) names.push_back(name);
  return names;
}

class GoldenRead : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { ASSERT_TRUE(Golden::get().ok()) << "golden script failed"; }
};

// The reader that TF_Open picks for a golden file, over memory.
int loadAs(TFContext* c, const std::string& name, const uint8_t* data, size_t n) {
  MemorySource src(data, n);
  int mode = Golden::get().manifest()[name]["mode"];
  if (mode == 2) return tfLoadStream(c, src);
  if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") return tfLoadLegacy(c, src);
  return tfLoadPicture(c, src);
}

}  // namespace

TEST_P(GoldenRead, OpensWithTheRecordedContent) {
  const std::string name = GetParam();
  const auto& m = Golden::get().manifest()[name];
  Handle h;
  ASSERT_NE(h.ctx, nullptr);
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path(name).c_str(), m["mode"].get<int>()), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  EXPECT_EQ(raw.imageSize, m["imageSize"].get<int>());
  EXPECT_EQ(raw.tempSize, m["tempSize"].get<int>());
  EXPECT_EQ(raw.confSize, m["confSize"].get<int>());
  EXPECT_EQ(raw.conf->magic, TF_CONF_MAGIC);
  EXPECT_EQ(raw.conf->paletteIndex, m["palette"].get<int>());
  EXPECT_EQ(raw.conf->stretchCtl[4], m["strechType"].get<int>());
  EXPECT_EQ(raw.conf->meaCount, m["meaCount"].get<int>());
  EXPECT_EQ(std::string(raw.conf->cameraType, strnlen(raw.conf->cameraType, 16)), m["cameraType"]);
  EXPECT_EQ(std::string(raw.conf->cameraId), "CAM-0042");
  EXPECT_EQ(raw.conf->width, 160);
  EXPECT_EQ(raw.conf->height, 120);
  EXPECT_EQ(raw.conf->captureTime, 133000000000000000LL);
  if (m["mode"] == 2) {
    // The counted frames replace whatever the record says; the rate comes from the head.
    EXPECT_EQ(raw.conf->frameCount, m["frames"].get<int>());
    EXPECT_EQ(raw.conf->fpsNum, 25);
    EXPECT_EQ(raw.conf->fpsDiv, 1);
  } else {
    EXPECT_EQ(raw.conf->frameCount, 0);
    EXPECT_EQ(raw.conf->fpsNum, 0);
    // A picture's image part is the file's first bytes.
    auto file = Golden::get().bytes(name);
    EXPECT_EQ(memcmp(raw.image, file.data(), static_cast<size_t>(raw.imageSize)), 0);
  }
  if (!m["hasConf"].get<bool>() && m["mode"] == 1 && m["palette"] == 5) {
    // The default StretchCtl: zero except strechType 1 and gain 2.0.
    uint8_t want[64];
    defaultStretchCtl(want);
    EXPECT_EQ(memcmp(raw.conf->stretchCtl, want, 64), 0);
  }
  for (const auto& c : m["codes"]) {
    int f = c[0], x = c[1], y = c[2], code = c[3];
    TFFrame fr{};
    if (m["mode"] == 2) {
      FrameSlot* slot;
      ASSERT_EQ(tfReadStreamFrame(h.ctx, f, false, &slot), 0);
      tfFillFrame(slot, &fr);
    } else {
      ASSERT_EQ(TF_ReadFrameHead(h.ctx, 0, &fr), 0);
    }
    EXPECT_EQ(fr.head->width, 160);
    EXPECT_EQ(fr.head->frameIndex, f);
    EXPECT_EQ(fr.data[y * 160 + x], code) << name << " frame " << f << " at " << x << "," << y;
  }
  EXPECT_EQ(TF_Close(h.ctx), m["mode"] == 1 ? 1 : 0);
  EXPECT_EQ(TF_Close(h.ctx), 0);
}

// Every prefix of every golden file: a negative code, or exactly the files that are whole.
TEST_P(GoldenRead, EveryTruncationIsRefusedOrWhole) {
  const std::string name = GetParam();
  const auto& m = Golden::get().manifest()[name];
  auto file = Golden::get().bytes(name);
  Handle h;
  const int64_t P = 160 * 120, first = 4 * P + 1216, frameSize = 2 * P + 128;
  const bool two = name == "pic_two_temp.jpg";
  const int64_t firstEnd = m["imageSize"].get<int64_t>();
  for (size_t len = 0; len < file.size(); ++len) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[len ? len : 1]);
    memcpy(copy.get(), file.data(), len);
    int rc = loadAs(h.ctx, name, copy.get(), len);
    if (m["mode"] == 2) {
      int64_t frames =
          len >= static_cast<size_t>(first) ? (static_cast<int64_t>(len) - first) / frameSize : 0;
      if (frames >= 1) {
        ASSERT_EQ(rc, 0) << name << " cut at " << len;
        ASSERT_EQ(h.ctx->frameCount, std::min<int64_t>(frames, 3)) << len;
      } else {
        ASSERT_LT(rc, 0) << name << " cut at " << len;
      }
    } else if (two && static_cast<int64_t>(len) == firstEnd) {
      ASSERT_EQ(rc, 0);  // the cut leaves the earlier TEMP block as a whole picture
    } else {
      ASSERT_LT(rc, 0) << name << " cut at " << len;
    }
  }
}

// The same through real files and TF_Open, at a stride and at the block boundaries.
TEST_P(GoldenRead, TruncatedFilesOpenWithANegativeCode) {
  const std::string name = GetParam();
  const auto& m = Golden::get().manifest()[name];
  auto file = Golden::get().bytes(name);
  std::string path = Golden::get().scratch("cut-" + name);
  Handle h;
  std::vector<size_t> cuts;
  for (size_t len = 0; len < file.size(); len += 1009) cuts.push_back(len);
  for (size_t d : {1, 4, 35, 36, 37, 7308, 55084}) {
    if (d <= file.size()) cuts.push_back(file.size() - d);
  }
  for (size_t len : cuts) {
    std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<long>(len));
    ostrel::test::writeBytes(path, part);
    int rc = TF_Open(h.ctx, path.c_str(), m["mode"].get<int>());
    if (rc == 0) {
      // Only whole files open: streams with at least one frame, the earlier block of two.
      EXPECT_TRUE(m["mode"] == 2 || name == "pic_two_temp.jpg") << name << " cut at " << len;
      TF_Close(h.ctx);
    } else {
      EXPECT_LT(rc, 0);
      TFRaw raw;
      EXPECT_EQ(TF_ReadRaw(h.ctx, &raw), OSTREL_E_STATE) << "a failed open leaves the handle closed";
    }
  }
  remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenRead, ::testing::ValuesIn(goldenNames()), [](const auto& info) {
  std::string s = info.param;
  for (char& ch : s)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return s;
});

// Randomised trailers of both blocks: never a crash, never a layout outside the buffers.
TEST(Readers, RandomTrailerFieldsGiveACodeOrASoundLayout) {
  ASSERT_TRUE(Golden::get().ok());
  Handle h;
  std::mt19937 rng(20251016);
  for (const char* name : {"pic_conf.jpg", "pic_plain.jpg", "pic_dated.jpg", "stream3_conf.stream"}) {
    auto file = Golden::get().bytes(name);
    bool stream = std::string(name).find(".stream") != std::string::npos;
    for (int round = 0; round < 3000; ++round) {
      auto copy = file;
      // Mutate the last trailer, and in CONF files also the CONF trailer before the TEMP block.
      size_t areas[2] = {copy.size() - 36, copy.size() - 55084 - 36};
      int nAreas = std::string(name) == "pic_conf.jpg" ? 2 : 1;
      for (int a = 0; a < nAreas; ++a) {
        int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
          size_t at = areas[a] + rng() % 16;  // w, h, date, length, tag
          copy[at] = static_cast<uint8_t>(rng());
        }
        if (rng() % 4 == 0) memcpy(&copy[areas[a] + 12], rng() % 2 ? "CONF" : "TEMP", 4);
      }
      MemorySource src(copy.data(), copy.size());
      int rc = stream ? tfLoadStream(h.ctx, src) : tfLoadPicture(h.ctx, src);
      if (rc == 0) {
        ASSERT_GE(h.ctx->imageSize, 0);
        ASSERT_LE(h.ctx->imageSize, TF_MAX_IMAGE_SIZE);
        ASSERT_GE(h.ctx->confSize, TF_MIN_CONF_SIZE);
        ASSERT_LE(h.ctx->confSize, TF_MAX_CONF_SIZE);
        ASSERT_GE(h.ctx->pixels, TF_MIN_PIXELS);
        ASSERT_LE(h.ctx->pixels, TF_MAX_PIXELS);
      } else {
        ASSERT_LT(rc, 0);
      }
    }
  }
}

// --- block finder edge cases on hand-built blocks --------------------------------------------

namespace {

std::vector<uint8_t> tempBlock(uint16_t w, uint16_t h, bool dated) {
  size_t p = static_cast<size_t>(w) * h;
  std::vector<uint8_t> b(2 * p + 16684, 0);
  BlockPrefix pre{static_cast<int32_t>(2 * p + (dated ? 16672 : 16640)), {}};
  memcpy(pre.tag, dated ? "teMp" : "TEMP", 4);
  memcpy(b.data(), &pre, 8);
  memcpy(&b[16520], &w, 2);
  memcpy(&b[16522], &h, 2);
  BlockTrailer t;
  if (dated)
    makeDatedTrailer(&t, w, h);
  else
    makeTaggedTrailer(&t, w, h, pre.length, "TEMP");
  memcpy(&b[b.size() - 36], &t, 36);
  return b;
}

std::vector<uint8_t> confBlock(int32_t n, int32_t prefixLength, const char* prefixTag) {
  std::vector<uint8_t> b(static_cast<size_t>(std::max(n, 0)) + 44, 0);
  BlockPrefix pre{prefixLength, {}};
  memcpy(pre.tag, prefixTag, 4);
  memcpy(b.data(), &pre, 8);
  BlockTrailer t;
  makeTaggedTrailer(&t, 160, 120, n, "CONF");
  memcpy(&b[b.size() - 36], &t, 36);
  return b;
}

}  // namespace

TEST(BlockFinder, BothTrailerFormsAndTheFrameSizeRange) {
  for (bool dated : {false, true}) {
    auto b = tempBlock(160, 120, dated);
    MemorySource src(b.data(), b.size());
    FoundBlock f;
    ASSERT_EQ(findBlock(src, static_cast<int64_t>(b.size()), &f), 0);
    EXPECT_EQ(f.kind, BlockKind::Temp);
    EXPECT_EQ(f.start, 0);
    EXPECT_EQ(f.size, 2 * 19200 + 16684);
  }
  // 19199 and 1310721 pixels: refused from the trailer alone with -198.
  for (auto [w, h] : {std::pair<uint16_t, uint16_t>{19199, 1}, {201, 6521}, {1, 19199}}) {
    std::vector<uint8_t> b(40000, 0);
    BlockTrailer t;
    makeDatedTrailer(&t, w, h);
    memcpy(&b[b.size() - 36], &t, 36);
    MemorySource src(b.data(), b.size());
    FoundBlock f;
    EXPECT_EQ(findBlock(src, static_cast<int64_t>(b.size()), &f), OSTREL_E_READ) << w << "x" << h;
  }
  // The largest frame is accepted (1280 x 1024), given the room.
  auto big = tempBlock(1280, 1024, false);
  MemorySource src(big.data(), big.size());
  FoundBlock f;
  EXPECT_EQ(findBlock(src, static_cast<int64_t>(big.size()), &f), 0);
  // A block that would start before the file: -194; frame head of another size: -194.
  EXPECT_EQ(findBlock(src, static_cast<int64_t>(big.size()) - 1, &f), OSTREL_E_FRAME_HEADER);
  auto b = tempBlock(160, 120, false);
  b[16520] = 161;
  MemorySource bad(b.data(), b.size());
  EXPECT_EQ(findBlock(bad, static_cast<int64_t>(b.size()), &f), OSTREL_E_FRAME_HEADER);
  // Another tag, and files too short for a trailer.
  b = tempBlock(160, 120, false);
  memcpy(&b[b.size() - 24], "JUNK", 4);
  MemorySource junk(b.data(), b.size());
  EXPECT_EQ(findBlock(junk, static_cast<int64_t>(b.size()), &f), OSTREL_E_FRAME_HEADER);
  EXPECT_EQ(findBlock(junk, 35, &f), OSTREL_E_SEEK);
}

TEST(BlockFinder, ConfLengthOutsideTheRecordRangeMeansNoConfBlock) {
  FoundBlock f;
  auto ok = confBlock(7264, 7264, "CONF");
  MemorySource src(ok.data(), ok.size());
  ASSERT_EQ(findBlock(src, static_cast<int64_t>(ok.size()), &f), 0);
  EXPECT_EQ(f.kind, BlockKind::Conf);
  EXPECT_EQ(f.length, 7264);
  // Too short for the record, too long for the buffer, negative: the finder refuses them all, so a
  // crafted length can neither make a negative size nor leave old bytes in the record.
  for (int32_t n : {7263, 0x200001, -44, -1, 0, INT32_MIN, INT32_MAX}) {
    std::vector<uint8_t> b(8000, 0);
    BlockTrailer t;
    makeTaggedTrailer(&t, 160, 120, n, "CONF");
    memcpy(&b[b.size() - 36], &t, 36);
    BlockPrefix pre{n, {'C', 'O', 'N', 'F'}};
    memcpy(b.data(), &pre, 8);
    MemorySource s(b.data(), b.size());
    EXPECT_EQ(findBlock(s, static_cast<int64_t>(b.size()), &f), OSTREL_E_FRAME_HEADER) << n;
  }
  // Prefix with another tag or another length; a block starting before offset 0.
  auto tag = confBlock(7264, 7264, "CONX");
  MemorySource s1(tag.data(), tag.size());
  EXPECT_EQ(findBlock(s1, static_cast<int64_t>(tag.size()), &f), OSTREL_E_FRAME_HEADER);
  auto len = confBlock(7264, 7300, "CONF");
  MemorySource s2(len.data(), len.size());
  EXPECT_EQ(findBlock(s2, static_cast<int64_t>(len.size()), &f), OSTREL_E_FRAME_HEADER);
  std::vector<uint8_t> tail(ok.begin() + 1, ok.end());
  MemorySource s3(tail.data(), tail.size());
  EXPECT_EQ(findBlock(s3, static_cast<int64_t>(tail.size()), &f), OSTREL_E_FRAME_HEADER);
}

TEST(PictureParse, HostileConfBlocksLeaveThePictureWithoutOne) {
  ASSERT_TRUE(Golden::get().ok());
  auto pic = Golden::get().bytes("pic_conf.jpg");
  const auto& m = Golden::get().manifest()["pic_conf.jpg"];
  const size_t image = m["imageSize"].get<size_t>();
  const size_t confTrailer = image + 7264 + 8;
  struct Case {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;
  };
  int32_t longer = 7264 + 100000, shorter = 7000;
  std::vector<Case> cases = {
      {"length past the file start", confTrailer + 8, std::vector<uint8_t>(4)},
      {"prefix tag", image + 4, {'X', 'O', 'N', 'F'}},
      {"length below the record", confTrailer + 8, std::vector<uint8_t>(4)},
  };
  memcpy(cases[0].bytes.data(), &longer, 4);
  memcpy(cases[2].bytes.data(), &shorter, 4);
  Handle h;
  for (const auto& c : cases) {
    auto copy = pic;
    memcpy(&copy[c.at], c.bytes.data(), c.bytes.size());
    MemorySource src(copy.data(), copy.size());
    PictureLayout l;
    ASSERT_EQ(parsePicture(src, &l), 0) << c.what;
    EXPECT_FALSE(l.hasConf) << c.what;
    EXPECT_EQ(l.imageSize, static_cast<int64_t>(image + 7308)) << c.what;
    // Opened after a picture with measurement items, the record is the default one: nothing of
    // the earlier file stays in it.
    auto good = Golden::get().bytes("pic_conf.jpg");
    MemorySource gs(good.data(), good.size());
    ASSERT_EQ(tfLoadPicture(h.ctx, gs), 0);
    ASSERT_EQ(h.ctx->conf()->meaCount, 2);
    MemorySource src2(copy.data(), copy.size());
    ASSERT_EQ(tfLoadPicture(h.ctx, src2), 0);
    EXPECT_EQ(h.ctx->confSize, 7264);
    EXPECT_EQ(h.ctx->conf()->meaCount, 0);
    EXPECT_EQ(h.ctx->conf()->paletteIndex, 5);
    std::vector<uint8_t> zero(216 * 32, 0);
    EXPECT_EQ(memcmp(h.ctx->conf()->meaItems, zero.data(), zero.size()), 0);
  }
}

TEST(PictureParse, SizeLimits) {
  // Over 6832472 bytes: -194 even with a valid block at the end.
  auto b = tempBlock(160, 120, false);
  std::vector<uint8_t> big(TF_MAX_PICTURE_SIZE + 1 - b.size(), 0);
  big.insert(big.end(), b.begin(), b.end());
  MemorySource src(big.data(), big.size());
  PictureLayout l;
  EXPECT_EQ(parsePicture(src, &l), OSTREL_E_FRAME_HEADER);
  // An image part longer than the image buffer is refused rather than cut.
  std::vector<uint8_t> longImage(TF_MAX_IMAGE_SIZE + 1, 0);
  longImage.insert(longImage.end(), b.begin(), b.end());
  MemorySource s2(longImage.data(), longImage.size());
  EXPECT_EQ(parsePicture(s2, &l), OSTREL_E_FRAME_HEADER);
  // Exactly the buffer is fine.
  longImage.erase(longImage.begin());
  MemorySource s3(longImage.data(), longImage.size());
  ASSERT_EQ(parsePicture(s3, &l), 0);
  EXPECT_EQ(l.imageSize, TF_MAX_IMAGE_SIZE);
}

TEST(StreamGeometry, RefusesBottomUpAndOutOfRangeFrames) {
  ASSERT_TRUE(Golden::get().ok());
  auto s = Golden::get().bytes("stream3.stream");
  TempStreamGeometry g;
  {
    MemorySource src(s.data(), s.size());
    ASSERT_EQ(readStreamGeometry(src, TF_MIN_PIXELS, TF_MAX_PIXELS, &g, nullptr), 0);
    EXPECT_EQ(g.firstFrame, 4 * 19200 + 1216);
  }
  struct Case {
    int32_t w, h;
  };
  for (Case c : {Case{160, 120}, Case{160, 0}, Case{-160, 120}, Case{0, -120}, Case{160, INT32_MIN},
                 Case{INT32_MIN, INT32_MIN}, Case{159, -120}, Case{1281, -1024}, Case{65536 + 160, -120}}) {
    auto copy = s;
    memcpy(&copy[18], &c.w, 4);
    memcpy(&copy[22], &c.h, 4);
    MemorySource src(copy.data(), copy.size());
    EXPECT_LT(readStreamGeometry(src, TF_MIN_PIXELS, TF_MAX_PIXELS, &g, nullptr), 0) << c.w << " " << c.h;
  }
}

TEST(StreamGeometry, SixtyFourBitSizes) {
  TempStreamGeometry g;
  ASSERT_EQ(TempStream_Geometry(1280, 1024, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), 0);
  EXPECT_EQ(g.frameSize, 2621568);
  EXPECT_EQ(g.firstFrame, 5244096);
  // 2 GiB passes after about 800 frames; 5000 frames are about 13 GB.
  int64_t size = g.firstFrame + 5000 * g.frameSize + 77;
  EXPECT_EQ(TempStream_FrameCount(&g, size), 5000);
  EXPECT_GT(g.firstFrame + 820 * g.frameSize, int64_t{1} << 31);
  EXPECT_EQ(TempStream_FrameCount(&g, g.firstFrame - 1), 0);
  EXPECT_EQ(TempStream_Geometry(1280, 1025, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), OSTREL_E_ARGUMENT);
}
