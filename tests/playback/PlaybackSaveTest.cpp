#include <cstring>
#include <filesystem>

#include "PlaybackFixture.h"
#include "StreamKit.h"
#include "files/FileIo.h"

using namespace playbacktest;

namespace {
constexpr int W = 160, H = 120, P = W * H;
}  // namespace

TEST_F(PlaybackTest, ASavedPictureKeepsItsConfBlockInsideTheImage) {
  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path("pic_conf.jpg").c_str(), 1), 0);
  PlaybackCover cover{};
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  const std::string out = golden().scratch("\u4fdd\u5b58-conf.jpg");  // paths are UTF-8
  ASSERT_EQ(OstrelPlayback_SaveFile(h, &cover, out.c_str()), 0);
  // Image (with its ConfBlock) and the TEMP block as stored: the very same file.
  EXPECT_TRUE(readFile(out) == golden().bytes("pic_conf.jpg"));
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, out.c_str(), 1), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(tf, &raw), 0);
  EXPECT_EQ(raw.conf->paletteIndex, 7);
  EXPECT_EQ(raw.conf->meaCount, 2);
  TF_Free(&tf);
  EXPECT_EQ(pillowSize("\"" + out + "\""), "160 120\n");
  ASSERT_EQ(OstrelPlayback_OpenFile(h, out.c_str(), 4), 0);
}

TEST_F(PlaybackTest, LegacyAndMemoryPicturesSaveAsRadiometricPictures) {
  // A legacy one-frame file saves as its bitmap followed by a dated TEMP block.
  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path("legacy.bmp").c_str(), 0), 0);
  PlaybackCover cover{};
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  const std::string legacyOut = golden().scratch("legacy_saved.bmp");
  ASSERT_EQ(OstrelPlayback_SaveFile(h, &cover, legacyOut.c_str()), 0);
  const auto bytes = readFile(legacyOut);
  ASSERT_EQ(bytes.size(), size_t(4 * P + 64 + 2 * P + 16684));
  int32_t prefix = 0;
  std::memcpy(&prefix, &bytes[4 * P + 64], 4);
  EXPECT_EQ(prefix, 2 * P + 16672);
  EXPECT_EQ(std::memcmp(&bytes[4 * P + 68], "teMp", 4), 0);
  EXPECT_EQ(pillowSize(legacyOut), "160 120\n");
  const auto m = golden().manifest()["legacy.bmp"];
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, legacyOut.c_str(), 1), 0);
  TFFrame f{};
  ASSERT_EQ(TF_ReadFrame(tf, 0, &f), 0);
  for (const auto& c : m["codes"]) EXPECT_EQ(f.data[int(c[2]) * W + int(c[1])], int(c[3]));

  // A frame from memory saves as a TEMP block alone.
  const auto frame = ostrel::test::rampFrame(W, H, 2500, 3);
  ASSERT_EQ(OstrelPlayback_OpenMem(h, &frame.head, frame.codes.data()), 0);
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  const std::string memOut = golden().scratch("mem_saved.bin");
  ASSERT_EQ(OstrelPlayback_SaveFile(h, &cover, memOut.c_str()), 0);
  EXPECT_EQ(std::filesystem::file_size(memOut), size_t(2 * P + 16684));
  ASSERT_EQ(TF_Open(tf, memOut.c_str(), 1), 0);
  ASSERT_EQ(TF_ReadFrame(tf, 0, &f), 0);
  EXPECT_EQ(std::memcmp(f.data, frame.codes.data(), size_t(P) * 2), 0);
  TF_Free(&tf);
}

TEST_F(PlaybackTest, SavingRefusesForeignImagesAndKeepsTheTargetOnFailure) {
  const std::string target = golden().scratch("target.jpg");
  const std::vector<uint8_t> earlier(777, 0x42);
  writeFile(target, earlier);
  PlaybackCover cover{};
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &cover, target.c_str()), -7);
  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path("stream3.stream").c_str(), 2), 0);
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &cover, target.c_str()), -7);

  ASSERT_EQ(OstrelPlayback_OpenFile(h, golden().path("pic_plain.jpg").c_str(), 1), 0);
  ASSERT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  std::vector<uint8_t> mine(100);
  PlaybackCover foreign = cover;
  foreign.image = mine.data();
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &foreign, target.c_str()), -2);
  PlaybackCover tooLong = cover;
  tooLong.imageSize = OSTREL_PLAYBACK_IMAGE_AREA + 1;
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &tooLong, target.c_str()), -2);
  ostrel::files::setReplaceFileByteLimit(1000);
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &cover, target.c_str()), -197);
  ostrel::files::setReplaceFileByteLimit(-1);
  EXPECT_TRUE(readFile(target) == earlier);
  EXPECT_EQ(OstrelPlayback_SaveFile(h, &cover, (golden().scratch("no-such-dir") + "/x.jpg").c_str()), -200);
  // A new image put into the area through the cover replaces the old one.
  const char text[] = "not a picture";
  std::memcpy(cover.image, text, sizeof text);
  cover.imageSize = sizeof text;
  ASSERT_EQ(OstrelPlayback_SaveFile(h, &cover, target.c_str()), 0);
  const auto saved = readFile(target);
  ASSERT_EQ(saved.size(), sizeof text + size_t(2 * P + 16684));
  EXPECT_EQ(std::memcmp(saved.data(), text, sizeof text), 0);
}
