// Decoder: an Annex-B stream made by the ffmpeg command, decoded by the library and compared with
// the command's own decode; recordings of the received units checked by ffmpeg and ffprobe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "OstrelFfmpeg.h"
#include "VideoTestKit.h"

using namespace vltest;

namespace {

constexpr int kW = 320, kH = 240, kFrames = 30;

// 30 frames of a test pattern, libx264 zerolatency, a key frame every 10 frames, Annex-B.
std::string makeStream(const std::string& dir) {
  std::string path = dir + "/in.h264";
  std::string out;
  int rc = run(ffmpeg() +
                   " -v error -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 30 -c:v libx264 "
                   "-preset veryfast -tune zerolatency -bf 0 -g 10 -pix_fmt yuv420p -f h264 -y " +
                   path,
               &out);
  EXPECT_EQ(rc, 0) << out;
  return path;
}

H264DecConfig decConfig(int w, int h) {
  H264DecConfig c;
  memset(&c, 0, sizeof c);
  c.width = static_cast<uint16_t>(w);
  c.height = static_cast<uint16_t>(h);
  return c;
}

}  // namespace

TEST(VideoDecoder, MatchesTheCommandsDecodeAndSkipsEmptyUnits) {
  const std::string dir = scratchDir();
  std::string in = makeStream(dir);
  std::string out;
  ASSERT_EQ(run(ffmpeg() + " -v error -i " + in + " -f rawvideo -pix_fmt bgra -y " + dir + "/ref.bgra", &out),
            0)
      << out;
  std::vector<uint8_t> ref = readFile(dir + "/ref.bgra");
  const size_t pic = static_cast<size_t>(kW) * kH * 4;
  ASSERT_EQ(ref.size(), pic * kFrames);
  auto units = splitAccessUnits(readFile(in));
  ASSERT_EQ(units.size(), static_cast<size_t>(kFrames));

  H264Decoder* dec = H264Dec_Create();
  ASSERT_NE(dec, nullptr);
  H264DecConfig c = decConfig(kW, kH);
  ASSERT_EQ(H264Dec_SetConfig(dec, &c), 0);
  std::vector<uint8_t> bgra(pic);
  for (int i = 0; i < kFrames; ++i) {
    // An empty access unit between pictures must not reach the decoder (it would drain it).
    if (i % 5 == 2) {
      EXPECT_EQ(H264Dec_Decode(dec, nullptr, 0, bgra.data()), OSTREL_FF_PENDING);
    }
    ASSERT_EQ(H264Dec_Decode(dec, units[i].data(), static_cast<int>(units[i].size()), bgra.data()), 0)
        << "unit " << i << " gave no picture at once";
    int worst = 0;
    for (size_t k = 0; k < pic; ++k) {
      if (k % 4 == 3) continue;
      worst = std::max(worst, std::abs(int(bgra[k]) - int(ref[pic * i + k])));
    }
    EXPECT_LE(worst, 2) << "frame " << i;
  }
  H264Dec_Free(&dec);
  EXPECT_EQ(dec, nullptr);
}

TEST(VideoDecoder, PicturesAreScaledToTheConfiguredSizeWithoutOverrun) {
  const std::string dir = scratchDir();
  auto units = splitAccessUnits(readFile(makeStream(dir)));
  H264Decoder* dec = H264Dec_Create();
  H264DecConfig c = decConfig(100, 60);  // smaller than the stream
  ASSERT_EQ(H264Dec_SetConfig(dec, &c), 0);
  const size_t pic = 100 * 60 * 4;
  std::vector<uint8_t> buf(pic + 4096, 0xA5);
  ASSERT_EQ(H264Dec_Decode(dec, units[0].data(), static_cast<int>(units[0].size()), buf.data()), 0);
  for (size_t k = pic; k < buf.size(); ++k) ASSERT_EQ(buf[k], 0xA5) << "written beyond the picture at " << k;
  size_t opaque = 0;
  for (size_t k = 3; k < pic; k += 4) opaque += buf[k] == 255;
  EXPECT_EQ(opaque, pic / 4);
  // Bad input: garbage is refused, and the decoder goes on with the next good unit.
  std::vector<uint8_t> junk(500, 0x37);
  junk[0] = 0, junk[1] = 0, junk[2] = 1, junk[3] = 0x65;
  EXPECT_LE(H264Dec_Decode(dec, junk.data(), static_cast<int>(junk.size()), buf.data()), 1);
  EXPECT_EQ(H264Dec_Decode(dec, units[10].data(), static_cast<int>(units[10].size()), buf.data()), 0);
  EXPECT_EQ(H264Dec_Decode(dec, nullptr, 5, buf.data()), OSTREL_FF_E_ARGUMENT);
  EXPECT_EQ(H264Dec_Decode(dec, units[0].data(), -1, buf.data()), OSTREL_FF_E_ARGUMENT);
  EXPECT_EQ(H264Dec_Decode(nullptr, units[0].data(), 5, buf.data()), OSTREL_FF_E_HANDLE);
  H264DecConfig big = decConfig(9000, 60);
  EXPECT_EQ(H264Dec_SetConfig(dec, &big), OSTREL_FF_E_ARGUMENT);
  H264Dec_Free(&dec);
  H264Decoder* fresh = H264Dec_Create();
  EXPECT_EQ(H264Dec_Decode(fresh, units[0].data(), 5, buf.data()), OSTREL_FF_E_STATE);
  H264Dec_Free(&fresh);
}

TEST(VideoDecoder, RecordingStartsAtTheFirstIdrAndDecodesCleanly) {
  const std::string dir = scratchDir();
  auto units = splitAccessUnits(readFile(makeStream(dir)));
  ASSERT_EQ(units.size(), static_cast<size_t>(kFrames));
  H264Decoder* dec = H264Dec_Create();
  H264DecConfig c = decConfig(kW, kH);
  c.fpsNum = 25;
  c.fpsDen = 1;
  ASSERT_EQ(H264Dec_SetConfig(dec, &c), 0);
  std::vector<uint8_t> bgra(kW * kH * 4);
  const std::string mp4 = dir + "/rec.mp4";
  ASSERT_EQ(H264Dec_BeginSave(dec, mp4.c_str()), 0);
  // Join the stream in the middle of the first group: units 3..9 cannot start a file.
  for (int i = 3; i < kFrames; ++i) {
    H264Dec_Decode(dec, units[i].data(), static_cast<int>(units[i].size()), bgra.data());
    ASSERT_EQ(H264Dec_SavePacket(dec, units[i].data(), static_cast<int>(units[i].size())), 0);
    EXPECT_EQ(H264Dec_SavePacket(dec, nullptr, 0), 0);
  }
  ASSERT_EQ(H264Dec_EndSave(dec), 0);
  EXPECT_EQ(H264Dec_EndSave(dec), OSTREL_FF_E_STATE);
  std::string err;
  EXPECT_EQ(run(ffmpeg() + " -v error -i " + mp4 + " -f null -", &err), 0);
  EXPECT_EQ(err, "");
  std::string p;
  run(ffprobe() +
          " -v error -count_frames -show_entries stream=codec_name,nb_read_frames,r_frame_rate "
          "-of default=nw=1 " +
          mp4,
      &p);
  EXPECT_EQ(probeValue(p, "codec_name"), "h264") << p;
  EXPECT_EQ(probeValue(p, "nb_read_frames"), "20") << p;  // units 10..29
  EXPECT_EQ(probeValue(p, "r_frame_rate"), "25/1") << p;

  // A recording that never sees an IDR picture reports it and leaves no empty file behind.
  const std::string none = dir + "/none.mp4";
  ASSERT_EQ(H264Dec_BeginSave(dec, none.c_str()), 0);
  for (int i = 11; i < 20; ++i) H264Dec_SavePacket(dec, units[i].data(), static_cast<int>(units[i].size()));
  EXPECT_EQ(H264Dec_EndSave(dec), OSTREL_FF_E_STATE);
  EXPECT_FALSE(std::filesystem::exists(none));
  EXPECT_EQ(H264Dec_BeginSave(dec, (dir + "/no/such/dir/x.mp4").c_str()), OSTREL_FF_E_OPEN);
  H264Dec_Free(&dec);
}
