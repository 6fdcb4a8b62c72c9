#include <fcntl.h>

#include <climits>
#include <cstring>

#include "PlaybackFixture.h"
#include "StreamKit.h"

using namespace playbacktest;
using ostrel::test::TestFrame;

namespace {

constexpr int W = 160, H = 120, P = W * H;
constexpr int kConfBlock = 7264 + 44;

int typeOf(const std::string& name) {
  if (name == "legacy.bmp") return 0;
  return name.find(".stream") != std::string::npos ? 2 : 1;
}

}  // namespace

TEST_F(PlaybackTest, GoldenFilesOpenWithTheirStoredCodes) {
  for (auto& [name, m] : golden().manifest().items()) {
    SCOPED_TRACE(name);
    const int type = typeOf(name);
    for (int t : type == 1 ? std::vector<int>{1, 4} : std::vector<int>{type}) {
      ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path(name).c_str(), t), 0);
      PlaybackCover cover{};
      ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
      const auto bytes = golden().bytes(name);
      ASSERT_NE(cover.head, nullptr);
      EXPECT_EQ(cover.head->width, W);
      EXPECT_EQ(cover.head->height, H);
      EXPECT_EQ(std::string(cover.head->cameraId), "CAM-0042");
      if (t == 2) {
        // The bitmap head and the cover, as stored.
        EXPECT_EQ(cover.imageSize, 4 * P + 64);
        EXPECT_EQ(std::memcmp(cover.image, bytes.data(), size_t(cover.imageSize)), 0);
        EXPECT_EQ(cover.frameHead, nullptr);
        EXPECT_EQ(cover.data, nullptr);
      } else if (t == 0) {
        EXPECT_EQ(cover.imageSize, 4 * P + 64);
        EXPECT_EQ(std::memcmp(cover.image, bytes.data(), size_t(cover.imageSize)), 0);
      } else {
        // Everything in front of the TEMP block is image, a ConfBlock included.
        const int expected = int(m["imageSize"]) + (m["hasConf"] ? kConfBlock : 0);
        EXPECT_EQ(cover.imageSize, expected);
        EXPECT_EQ(int64_t(bytes.size()) - cover.imageSize, 2 * P + 16684);
        EXPECT_EQ(std::memcmp(cover.image, bytes.data(), size_t(cover.imageSize)), 0);
        EXPECT_EQ(cover.frameHead->width, W);
        EXPECT_EQ(static_cast<uint8_t*>(cover.headerExtra), reinterpret_cast<uint8_t*>(cover.head) + 128);
      }
      EXPECT_EQ(cover.reserved, nullptr);
      EXPECT_EQ(cover.reserved2, 0);
      for (const auto& c : m["codes"]) {
        const int f = c[0], x = c[1], y = c[2], code = c[3];
        PreviewFrame frame{};
        ASSERT_EQ(OstrelPlayback_ReadFrame(h, f, &frame), 0);
        EXPECT_EQ(frame.head->width, W);
        EXPECT_EQ(frame.data[y * W + x], code) << f << " " << x << "," << y;
      }
      if (t == 2) {
        PreviewFrame frame{};
        EXPECT_EQ(OstrelPlayback_ReadFrame(h, int(m["frames"]), &frame), -8);
        EXPECT_EQ(OstrelPlayback_ReadFrame(h, -1, &frame), -8);
      }
    }
  }
  EXPECT_EQ(OstrelPlayback_CloseFile(h), 0);
  PlaybackCover cover{};
  EXPECT_EQ(OstrelPlayback_ReadCover(h, &cover), -7);
}

TEST_F(PlaybackTest, FilesOfTheProjectsWritersOpen) {
  // A stream of the recording writer, 640 x 512 like a camera's.
  std::vector<TestFrame> frames;
  for (int i = 0; i < 3; ++i) frames.push_back(ostrel::test::rampFrame(640, 512, int16_t(3000 + 100 * i), 1));
  const std::string stream = golden().scratch("writer.stream");
  ASSERT_EQ(writeStream(stream, frames), 0);
  ASSERT_EQ(OstrelPlayback_OpenFile(h, stream.c_str(), 2), 0);
  for (int i : {2, 0, 1}) {
    PreviewFrame f{};
    ASSERT_EQ(OstrelPlayback_ReadFrame(h, i, &f), 0);
    EXPECT_EQ(std::memcmp(f.data, frames[i].codes.data(), frames[i].codes.size() * 2), 0) << i;
  }
  // The file access layer's picture writers: a whole picture and a TEMP block alone.
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, golden().path("pic_conf.jpg").c_str(), 1), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(tf, &raw), 0);
  TFRaw in = raw;
  in.imageSize = 0;
  const std::string rewritten = golden().scratch("rewritten.jpg");
  const std::string tempOnly = golden().scratch("temp_only.bin");
  ASSERT_EQ(TF_WriteRawEnd(tf, &in, rewritten.c_str()), 1);
  ASSERT_EQ(TF_SaveTemp(tf, tempOnly.c_str()), 1);
  TF_Free(&tf);
  const auto m = golden().manifest()["pic_conf.jpg"];
  for (const auto& path : {rewritten, tempOnly}) {
    SCOPED_TRACE(path);
    ASSERT_EQ(OstrelPlayback_OpenFile(h, path.c_str(), 1), 0);
    PreviewFrame f{};
    ASSERT_EQ(OstrelPlayback_ReadFrame(h, 0, &f), 0);
    for (const auto& c : m["codes"]) EXPECT_EQ(f.data[int(c[2]) * W + int(c[1])], int(c[3]));
  }
  PlaybackCover cover{};
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  EXPECT_EQ(cover.imageSize, 0);
}

TEST_F(PlaybackTest, StateAndArgumentsAreChecked) {
  DestripInfoRecord d{};
  DenoiseInfoRecord n{};
  EXPECT_EQ(OstrelPlayback_ConfigDestrip(h, &d, 1), -7);
  EXPECT_EQ(OstrelPlayback_ConfigDenoise(h, &n, 1), -7);
  // Reading the records back shows the defaults.
  ASSERT_EQ(OstrelPlayback_ConfigDestrip(h, &d, 0), 0);
  EXPECT_EQ(d.type, 0);
  EXPECT_EQ(d.s0_radius, 5);
  EXPECT_EQ(d.s0_regular, 10);
  EXPECT_EQ(d.sub_y, 4);
  EXPECT_EQ(d.sub_t, 1);
  ASSERT_EQ(OstrelPlayback_ConfigDenoise(h, &n, 0), 0);
  EXPECT_EQ(n.gf_radius, 5);
  EXPECT_EQ(n.gf_regular, 5);
  PreviewFrame f{};
  EXPECT_EQ(OstrelPlayback_ReadFrame(h, 0, &f), -7);
  EXPECT_EQ(OstrelPlayback_OpenFile(h, golden().path("missing.jpg").c_str(), 1), -200);
  EXPECT_EQ(OstrelPlayback_OpenFile(h, golden().path("pic_plain.jpg").c_str(), 3), -2);
  EXPECT_EQ(OstrelPlayback_OpenFile(h, nullptr, 1), -8);
  EXPECT_EQ(OstrelPlayback_ReadFrame(nullptr, 0, &f), -8);
  OstrelPlayback_Free(nullptr);
  // A stream of 40 x 25 = 1000 pixels is below the player's smallest frame.
  std::vector<TestFrame> small{ostrel::test::flatFrame(40, 25, 3000)};
  const std::string tiny = golden().scratch("tiny.stream");
  ASSERT_EQ(writeStream(tiny, small), 0);
  EXPECT_EQ(OstrelPlayback_OpenFile(h, tiny.c_str(), 2), -2);
  EXPECT_EQ(OstrelPlayback_OpenFile(h, tiny.c_str(), 0), -2);
  EXPECT_EQ(OstrelPlayback_OpenMem(h, &small[0].head, small[0].codes.data()), -2);
  EXPECT_EQ(OstrelPlayback_ReadFrame(h, 0, &f), -7);
  // Not before Ostrel_InitSDK.
  Ostrel_FreeSDK();
  EXPECT_EQ(OstrelPlayback_Create(), nullptr);
}

TEST_F(PlaybackTest, TheFifthStreamReadReusesTheFirstSlot) {
  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path("stream3.stream").c_str(), 2), 0);
  PreviewFrame f[5]{};
  const int order[5] = {0, 1, 2, 1, 0};
  for (int i = 0; i < 5; ++i) ASSERT_EQ(OstrelPlayback_ReadFrame(h, order[i], &f[i]), 0);
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) EXPECT_NE(f[i].data, f[j].data);
  EXPECT_EQ(f[4].data, f[0].data);
  EXPECT_EQ(f[4].image, f[0].image);
  EXPECT_EQ(f[4].head, f[0].head);
  EXPECT_EQ(f[3].data[0], 2000 + 50);  // frame 1's first code, still in its slot
  EXPECT_EQ(f[4].data[0], 2000);
}

TEST_F(PlaybackTest, HostileSizesAreRefusedBeforeTheyAreUsed) {
  const auto pic = golden().bytes("pic_plain.jpg");
  const auto stream = golden().bytes("stream3.stream");
  auto refuse = [&](const std::vector<uint8_t>& bytes, int type, int expected, const char* what) {
    const std::string path = golden().scratch(std::string("hostile-") + what);
    writeFile(path, bytes);
    EXPECT_EQ(OstrelPlayback_OpenFile(h, path.c_str(), type), expected) << what;
    PlaybackCover cover{};
    EXPECT_EQ(OstrelPlayback_ReadCover(h, &cover), -7) << what;
  };
  // A trailer of 65535 x 65535 pixels: its TEMP block would start before the file.
  auto big = pic;
  const size_t tr = big.size() - 36;
  big[tr] = big[tr + 1] = big[tr + 2] = big[tr + 3] = 0xFF;
  refuse(big, 1, -198, "trailer-65535");
  // A frame head inside the TEMP block of another size than its trailer.
  auto head = pic;
  const size_t frameHead = pic.size() - (2 * P + 16684) + 16520;
  head[frameHead] = uint8_t(W + 1);
  refuse(head, 1, -194, "frame-head");
  // Stream heights of INT_MIN and positive, a width of 0 and a cover far larger than the file.
  auto setI32 = [](std::vector<uint8_t> b, size_t at, int32_t v) {
    std::memcpy(&b[at], &v, 4);
    return b;
  };
  refuse(setI32(stream, 22, INT_MIN), 2, -194, "height-min");
  refuse(setI32(stream, 22, H), 2, -194, "height-positive");
  refuse(setI32(stream, 18, 0), 2, -194, "width-0");
  refuse(setI32(setI32(stream, 18, 65535), 22, -65535), 0, -198, "width-65535");
  // Stream frame that changed size: refused at read, the handle stays open.
  auto changed = stream;
  const size_t second = 4 * P + 1216 + (2 * P + 128);
  changed[second] = uint8_t(W - 1);
  writeFile(golden().scratch("changed.stream"), changed);
  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().scratch("changed.stream").c_str(), 2), 0);
  PreviewFrame f{};
  EXPECT_EQ(OstrelPlayback_ReadFrame(h, 1, &f), -194);
  EXPECT_EQ(OstrelPlayback_ReadFrame(h, 2, &f), 0);
}

TEST_F(PlaybackTest, AnImagePartLargerThanTheImageAreaIsRefused) {
  // A sparse file: OSTREL_PLAYBACK_IMAGE_AREA + 1 bytes of image, then the golden TEMP block.
  const auto pic = golden().bytes("pic_temp_only.jpg");
  const std::string path = golden().scratch("huge-image.jpg");
  for (int64_t extra : {int64_t(0), int64_t(1)}) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const off_t image = OSTREL_PLAYBACK_IMAGE_AREA + extra;
    ASSERT_EQ(pwrite(fd, pic.data(), pic.size(), image), ssize_t(pic.size()));
    ::close(fd);
    EXPECT_EQ(OstrelPlayback_OpenFile(h, path.c_str(), 1), extra ? -194 : 0) << extra;
  }
}
