// The writers against the golden files: byte-for-byte output, independent decoders, write-back
// through a temporary file, the handle's ring and edge cases of opening.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "GoldenFiles.h"
#include "files/Blocks.h"
#include "files/StreamFile.h"
#include "files/ThermalFileInternal.h"

using namespace ostrel::files;
using ostrel::test::Golden;
using ostrel::test::Handle;
using ostrel::test::readBytes;
using ostrel::test::writeBytes;

namespace {

constexpr int kW = 160, kH = 120, kP = kW * kH;

class Writers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Golden::get().ok()) << "golden script failed";
    ASSERT_NE(h.ctx, nullptr);
  }
  // A copy of a golden file this test may change.
  std::string copyOf(const std::string& name) {
    std::string p = Golden::get().scratch(
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + name);
    writeBytes(p, Golden::get().bytes(name));
    cleanup.push_back(p);
    return p;
  }
  void TearDown() override {
    setReplaceFileByteLimit(-1);
    for (auto& p : cleanup) {
      chmod(p.c_str(), 0644);
      remove(p.c_str());
    }
  }
  // Fills the write side's record with a golden record and returns the descriptor.
  TFRaw editable(const std::string& record, int32_t size = 7264) {
    TFRaw raw{};
    EXPECT_EQ(TF_WriteRawBegin(h.ctx, &raw), 0);
    auto rec = Golden::get().bytes(record);
    memcpy(raw.conf, rec.data(), rec.size());
    raw.confSize = size;
    return raw;
  }
  Handle h;
  std::vector<std::string> cleanup;
};

int64_t fileSize(const std::string& p) {
  return static_cast<int64_t>(std::filesystem::file_size(p));
}

bool noTempFilesBeside(const std::string& p) {
  auto dir = std::filesystem::path(p).parent_path();
  auto stem = std::filesystem::path(p).filename().string() + ".tmp";
  for (auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().filename().string().rfind(stem, 0) == 0) return false;
  return true;
}

}  // namespace

TEST_F(Writers, StreamWriterReproducesTheGoldenStream) {
  auto golden = Golden::get().bytes("stream3.stream");
  auto cover = Golden::get().bytes("cover.bin");
  auto headBytes = Golden::get().bytes("temp_file_head.bin");
  TempFileHead head;
  memcpy(&head, headBytes.data(), sizeof head);
  TempStreamGeometry g;
  ASSERT_EQ(TempStream_Geometry(kW, kH, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), 0);
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  ASSERT_EQ(TempStream_BuildHeadArea(&g, &head, area.data(), static_cast<int64_t>(area.size())), 0);
  EXPECT_EQ(TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame - 1), OSTREL_E_NO_MEMORY);

  std::string path = Golden::get().scratch("writer.stream");
  cleanup.push_back(path);
  StreamWriter w;
  EXPECT_EQ(w.appendFrame(nullptr, nullptr), OSTREL_E_STATE);
  ASSERT_EQ(w.create(path.c_str(), g, area.data()), 0);
  ASSERT_EQ(w.writeCover(reinterpret_cast<const uint32_t*>(cover.data())), 0);
  for (int f = 0; f < 3; ++f) {
    const uint8_t* frame = golden.data() + g.firstFrame + f * g.frameSize;
    ASSERT_EQ(w.appendFrame(reinterpret_cast<const DataFrameHead*>(frame),
                            reinterpret_cast<const int16_t*>(frame + 128)),
              0);
  }
  EXPECT_EQ(w.framesWritten(), 3);
  EXPECT_EQ(w.bytesWritten(), static_cast<int64_t>(golden.size()));
  ASSERT_EQ(w.close(), 0);
  EXPECT_EQ(readBytes(path), golden);

  // A bitmap decoder shows the cover: pixel (x, y) of the pattern is B = x, G = y, R = x + y.
  std::string out;
  std::string cmd =
      std::string(OSTREL_SYSTEM_PYTHON) + " -c \"from PIL import Image; im=Image.open('" + path +
      "'); print(im.format, im.size[0], im.size[1], *im.getpixel((7, 5)), *im.getpixel((159, 119)))\"";
  ASSERT_EQ(ostrel::test::runCommand(cmd, &out), 0);
  EXPECT_EQ(out, "BMP 160 120 12 5 7 22 119 159\n");

  EXPECT_EQ(w.create("/nonexistent-folder/x.stream", g, area.data()), OSTREL_E_OPEN);
  // A full disk while the head area is written: -197 and nothing left open.
  EXPECT_EQ(w.create("/dev/full", g, area.data()), OSTREL_E_WRITE);
  EXPECT_FALSE(w.isOpen());
}

TEST_F(Writers, PictureWriteBackReproducesTheGoldenPictureAndGrowsOnce) {
  std::string p = copyOf("pic_plain.jpg");
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  EXPECT_EQ(raw.imageSize, 0) << "the editable block keeps the file's image unless one is set";
  EXPECT_EQ(raw.tempSize, 2638080);
  EXPECT_EQ(raw.confSize, 7264);  // set by editable(); handed out as 0x200000
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  EXPECT_EQ(readBytes(p), Golden::get().bytes("pic_conf.jpg"));
  EXPECT_TRUE(noTempFilesBeside(p));
  int64_t once = fileSize(p);
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  EXPECT_EQ(fileSize(p), once);
  EXPECT_EQ(once, static_cast<int64_t>(Golden::get().bytes("pic_plain.jpg").size()) + 7308);

  // The written picture still decodes as the JPEG it was.
  std::string out;
  std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " -c \"from PIL import Image; im=Image.open('" + p +
                    "'); im.load(); print(im.format, im.size[0], im.size[1])\"";
  ASSERT_EQ(ostrel::test::runCommand(cmd, &out), 0);
  EXPECT_EQ(out, "JPEG 160 120\n");

  // Reopened, the file has the written record.
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw back{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &back), 0);
  EXPECT_EQ(memcmp(back.conf, Golden::get().bytes("conf_picture.bin").data(), 7264), 0);
}

TEST_F(Writers, MergeKeepsTheCapturePartAndTakesTheCameraType) {
  std::string p = copyOf("pic_plain.jpg");
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  strcpy(raw.conf->cameraId, "SOMEONE-ELSE");
  raw.conf->width = 1;
  raw.conf->captureTime = 5;
  strcpy(raw.conf->cameraType, "NEW-TYPE");
  raw.conf->paletteIndex = 2;
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  TFRaw mine{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &mine), 0);
  EXPECT_STREQ(mine.conf->cameraId, "CAM-0042");
  EXPECT_EQ(mine.conf->width, kW);
  EXPECT_EQ(mine.conf->captureTime, 133000000000000000LL);
  EXPECT_STREQ(mine.conf->cameraType, "NEW-TYPE");
  EXPECT_EQ(mine.conf->paletteIndex, 2);
}

TEST_F(Writers, WrongConfigurationSizesAreRefusedAndTheFileIsUntouched) {
  std::string p = copyOf("pic_conf.jpg");
  auto before = readBytes(p);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  for (int32_t n : {7263, 0, -1, 0x200001}) {
    TFRaw raw = editable("conf_picture.bin", n);
    EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), OSTREL_E_ARGUMENT) << n;
  }
  TFRaw raw = editable("conf_picture.bin");
  EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), OSTREL_E_ARGUMENT);
  EXPECT_EQ(readBytes(p), before);
  Handle closed;
  EXPECT_EQ(TF_WriteRawEnd(closed.ctx, &raw, p.c_str()), OSTREL_E_STATE);
  EXPECT_EQ(TF_WriteRawBegin(closed.ctx, &raw), OSTREL_E_STATE);
  EXPECT_EQ(TF_WriteRawCheckConf(closed.ctx, &raw), OSTREL_E_STATE);
  EXPECT_EQ(TF_SaveTemp(closed.ctx, p.c_str()), OSTREL_E_STATE);
  EXPECT_EQ(TF_Open(nullptr, p.c_str(), 1), OSTREL_E_HANDLE);
  EXPECT_EQ(TF_Open(h.ctx, p.c_str(), 3), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_Open(h.ctx, nullptr, 1), OSTREL_E_ARGUMENT);
}

TEST_F(Writers, AFailedWriteNeverDestroysThePicture) {
  std::string p = copyOf("pic_plain.jpg");
  auto before = readBytes(p);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  // The disk fills up half way through, or before the first byte.
  for (int64_t limit : {int64_t{30000}, int64_t{0}}) {
    setReplaceFileByteLimit(limit);
    EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), OSTREL_E_WRITE);
    EXPECT_EQ(TF_SaveTemp(h.ctx, p.c_str()), OSTREL_E_WRITE);
    EXPECT_EQ(readBytes(p), before);
    EXPECT_TRUE(noTempFilesBeside(p));
  }
  setReplaceFileByteLimit(-1);
  // The record stays merged; the next write succeeds with it.
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  EXPECT_EQ(readBytes(p), Golden::get().bytes("pic_conf.jpg"));
  // A folder that does not exist: -200.
  EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, "/nonexistent-folder/p.jpg"), OSTREL_E_OPEN);
}

TEST_F(Writers, ReplacingKeepsThePermissionBits) {
  std::string p = copyOf("pic_plain.jpg");
  ASSERT_EQ(chmod(p.c_str(), 0640), 0);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  struct stat st {};
  ASSERT_EQ(stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(Writers, ANewImageReplacesTheFilesImage) {
  std::string p = copyOf("pic_conf.jpg");
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  const char kImage[] = "not really a picture";
  memcpy(raw.image, kImage, sizeof kImage);
  raw.imageSize = sizeof kImage;
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, p.c_str()), 1);
  auto file = readBytes(p);
  ASSERT_EQ(file.size(), sizeof kImage + 7308 + 2 * kP + 16684);
  EXPECT_EQ(memcmp(file.data(), kImage, sizeof kImage), 0);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Picture), 0);
  TFRaw back{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &back), 0);
  EXPECT_EQ(back.imageSize, static_cast<int32_t>(sizeof kImage));
}

TEST_F(Writers, StreamConfigurationIsAppendedOnceThenReplacedInPlace) {
  for (const char* name : {"stream3.stream", "stream3_stray.stream"}) {
    std::string p = copyOf(name);
    ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
    TFRaw raw = editable("conf_stream.bin");
    raw.conf->frameCount = 77;  // the capture part is the file's: the handle's count stays
    ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), 0) << name;
    ASSERT_EQ(TF_Close(h.ctx), 0);
    // Frames + ConfBlock only: the stray bytes after the last whole frame are overwritten.
    EXPECT_EQ(readBytes(p), Golden::get().bytes("stream3_conf.stream")) << name;
    int64_t once = fileSize(p);
    ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
    TFRaw back{};
    ASSERT_EQ(TF_ReadRaw(h.ctx, &back), 0);
    EXPECT_EQ(back.conf->frameCount, 3);
    EXPECT_EQ(back.conf->meaCount, 2);
    raw.conf->paletteIndex = 9;
    ASSERT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), 0);
    ASSERT_EQ(TF_Close(h.ctx), 0);
    EXPECT_EQ(fileSize(p), once) << "the second store replaces the block in place";
    ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
    ASSERT_EQ(TF_ReadRaw(h.ctx, &back), 0);
    EXPECT_EQ(back.conf->paletteIndex, 9);
    EXPECT_EQ(back.conf->frameCount, 3);
    TF_Close(h.ctx);
  }
}

TEST_F(Writers, StreamConfigurationAsLongAsAFrameIsRefused) {
  std::string p = copyOf("stream3.stream");
  auto before = readBytes(p);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  // 2*P + 128 = 38528: a block of n + 44 bytes that long would be counted as a frame.
  TFRaw raw = editable("conf_stream.bin", 2 * kP + 128 - 44);
  EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), OSTREL_E_ARGUMENT);
  raw.confSize = 2 * kP + 128 - 45;
  EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), 0);
  TF_Close(h.ctx);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  TFRaw back{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &back), 0);
  EXPECT_EQ(back.confSize, 2 * kP + 128 - 45);
  EXPECT_EQ(back.conf->frameCount, 3);
}

TEST_F(Writers, ReadOnlyStreamOpensAndRefusesTheStore) {
  std::string p = copyOf("stream3.stream");
  auto before = readBytes(p);
  ASSERT_EQ(chmod(p.c_str(), 0444), 0);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  // With the right to write any file (root) the open succeeds for writing; mark it read-only as
  // a file without that right would have been opened.
  if (access(p.c_str(), W_OK) == 0) h.ctx->readOnly = true;
  TFRaw raw = editable("conf_stream.bin");
  EXPECT_EQ(TF_WriteRawEnd(h.ctx, &raw, nullptr), OSTREL_E_OPEN);
  TF_Close(h.ctx);
  EXPECT_EQ(readBytes(p), before);
}

TEST_F(Writers, CheckConfComparesOnlyTheViewAndTheUsedItems) {
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("pic_conf.jpg").c_str(), TfOpenType_Picture), 0);
  TFRaw raw = editable("conf_picture.bin");
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 0);
  strcpy(raw.conf->cameraType, "OTHER");
  raw.conf->captureTime = 1;
  raw.conf->meaItems[5][100] = 1;  // an unused slot
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 0);
  raw.conf->meaItems[1][200] ^= 1;  // a used item
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 1);
  raw.conf->meaItems[1][200] ^= 1;
  raw.conf->stretchCtl[63] = 1;
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 1);
  raw.conf->stretchCtl[63] = 0;
  raw.conf->meaCount = 1;
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 1);
  // Counts above 32 count as 0 on both sides.
  TFRaw mine{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &mine), 0);
  mine.conf->meaCount = 40;
  raw.conf->meaCount = 40;
  raw.conf->meaItems[0][0] ^= 1;
  EXPECT_EQ(TF_WriteRawCheckConf(h.ctx, &raw), 0);
}

TEST_F(Writers, SaveTempWritesTheTaggedBlockAlone) {
  for (const char* name : {"pic_plain.jpg", "pic_dated.jpg", "legacy.bmp"}) {
    ASSERT_EQ(TF_Open(h.ctx, Golden::get().path(name).c_str(), TfOpenType_Picture), 0) << name;
    std::string out = Golden::get().scratch(std::string("temp-") + name);
    cleanup.push_back(out);
    ASSERT_EQ(TF_SaveTemp(h.ctx, out.c_str()), 1);
    EXPECT_EQ(readBytes(out), Golden::get().bytes("temp_block.bin")) << name;
  }
  EXPECT_EQ(TF_SaveTemp(h.ctx, nullptr), OSTREL_E_ARGUMENT);
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  EXPECT_EQ(TF_SaveTemp(h.ctx, Golden::get().scratch("never").c_str()), OSTREL_E_STATE);
}

TEST_F(Writers, LegacyBitmapIsTriedOnlyForALowerCaseBmpName) {
  auto legacy = Golden::get().bytes("legacy.bmp");
  std::string upper = Golden::get().scratch("LEGACY.BMP");
  std::string other = Golden::get().scratch("legacy.bmpx");
  writeBytes(upper, legacy);
  writeBytes(other, legacy);
  cleanup.push_back(upper);
  cleanup.push_back(other);
  EXPECT_EQ(TF_Open(h.ctx, upper.c_str(), TfOpenType_Picture), OSTREL_E_FRAME_HEADER);
  EXPECT_EQ(TF_Open(h.ctx, other.c_str(), TfOpenType_Picture), OSTREL_E_FRAME_HEADER);
  // A picture under a ".bmp" name: the picture reader wins.
  std::string pic = Golden::get().scratch("picture.bmp");
  writeBytes(pic, Golden::get().bytes("pic_conf.jpg"));
  cleanup.push_back(pic);
  ASSERT_EQ(TF_Open(h.ctx, pic.c_str(), TfOpenType_Picture), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  EXPECT_EQ(raw.conf->meaCount, 2);
  EXPECT_GT(raw.imageSize, 0);
  // The legacy file read after a picture with header settings gets nothing of them.
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("pic_header_ctl.jpg").c_str(), TfOpenType_Picture), 0);
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("legacy.bmp").c_str(), TfOpenType_Picture), 0);
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  EXPECT_EQ(raw.conf->paletteIndex, 5);
  EXPECT_EQ(raw.conf->stretchCtl[4], 1);
  EXPECT_EQ(TF_Open(h.ctx, Golden::get().scratch("missing.jpg").c_str(), TfOpenType_Picture), OSTREL_E_OPEN);
  // A legacy bitmap is not a stream of the file access layer's picture reader, nor a picture.
  EXPECT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Picture),
            OSTREL_E_FRAME_HEADER);
  EXPECT_EQ(TF_Open(h.ctx, Golden::get().path("pic_plain.jpg").c_str(), TfOpenType_Stream),
            OSTREL_E_FRAME_HEADER);
}

TEST_F(Writers, RingOfFourSlots) {
  ASSERT_EQ(TF_Open(h.ctx, Golden::get().path("stream3.stream").c_str(), TfOpenType_Stream), 0);
  TFFrame f[5]{};
  FrameSlot* slot;
  ASSERT_EQ(tfReadStreamFrame(h.ctx, 2, false, &slot), 0);  // slot 0 holds frame 2's codes
  for (int i = 1; i < 4; ++i) ASSERT_EQ(TF_ReadFrameHead(h.ctx, i % 3, &f[i]), 0);
  // The fifth read reuses the first slot; a head-only read leaves the codes of the older frame.
  ASSERT_EQ(TF_ReadFrameHead(h.ctx, 0, &f[4]), 0);
  EXPECT_EQ(f[4].head, slot->head);
  EXPECT_EQ(f[4].head->frameIndex, 0);
  EXPECT_EQ(f[4].data[0], 2000 + 50 * 2);
  EXPECT_NE(f[1].head, f[2].head);
  EXPECT_EQ(TF_ReadFrameHead(h.ctx, 3, &f[0]), OSTREL_E_ARGUMENT);
  EXPECT_EQ(TF_ReadFrameHead(h.ctx, -1, &f[0]), OSTREL_E_ARGUMENT);
  // A frame whose head has another size inside the stream: -194.
  std::string p = copyOf("stream3.stream");
  auto bytes = readBytes(p);
  bytes[4 * kP + 1216 + 2 * (2 * kP + 128)] = 1;  // width of frame 2
  writeBytes(p, bytes);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  EXPECT_EQ(TF_ReadFrameHead(h.ctx, 2, &f[0]), OSTREL_E_FRAME_HEADER);
  EXPECT_EQ(TF_ReadFrameHead(h.ctx, 1, &f[0]), 0);
}

// A 1280 x 1024 recording of 900 frames passes 2 GiB; frames beyond it are read by 64-bit offsets.
TEST_F(Writers, StreamsPastTwoGigabytes) {
  TempStreamGeometry g;
  ASSERT_EQ(TempStream_Geometry(1280, 1024, TF_MIN_PIXELS, TF_MAX_PIXELS, &g), 0);
  TempFileHead head{};
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  ASSERT_EQ(TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame), 0);
  std::string p = Golden::get().scratch("big.stream");
  cleanup.push_back(p);
  FILE* f = fopen(p.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(fwrite(area.data(), 1, area.size(), f), area.size());
  const int frames = 900, probe = 850;
  DataFrameHead fh{};
  fh.width = 1280;
  fh.height = 1024;
  fh.frameIndex = probe;
  int64_t at = g.firstFrame + probe * g.frameSize;
  ASSERT_GT(at, int64_t{1} << 31);
  ASSERT_EQ(fseeko(f, at, SEEK_SET), 0);
  ASSERT_EQ(fwrite(&fh, 1, sizeof fh, f), sizeof fh);
  int ok = ftruncate(fileno(f), g.firstFrame + frames * g.frameSize);
  fclose(f);
  if (ok != 0) GTEST_SKIP() << "no room for a sparse 2.4 GB file";
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  TFRaw raw{};
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  EXPECT_EQ(raw.conf->frameCount, frames);
  TFFrame fr{};
  ASSERT_EQ(TF_ReadFrameHead(h.ctx, probe, &fr), 0);
  EXPECT_EQ(fr.head->frameIndex, probe);
  // The configuration lands after frame 900, past 2 GiB.
  TFRaw ed = editable("conf_stream.bin");
  ASSERT_EQ(TF_WriteRawEnd(h.ctx, &ed, nullptr), 0);
  TF_Close(h.ctx);
  EXPECT_EQ(fileSize(p), g.firstFrame + frames * g.frameSize + 7308);
  ASSERT_EQ(TF_Open(h.ctx, p.c_str(), TfOpenType_Stream), 0);
  ASSERT_EQ(TF_ReadRaw(h.ctx, &raw), 0);
  EXPECT_EQ(raw.conf->meaCount, 2);
  EXPECT_EQ(raw.conf->frameCount, frames);
  TF_Close(h.ctx);
}
