// Encoder: files made by the library, checked by ffprobe and the ffmpeg psnr filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OstrelFfmpeg.h"
#include "VideoTestKit.h"

using namespace vltest;

namespace {

H264EncConfig encConfig(int w, int h, int num, int den) {
  H264EncConfig c;
  memset(&c, 0, sizeof c);
  c.width = static_cast<uint16_t>(w);
  c.height = static_cast<uint16_t>(h);
  c.fpsNum = static_cast<uint16_t>(num);
  c.fpsDen = static_cast<uint16_t>(den);
  return c;
}

// Encodes `frames` moving-gradient pictures into path; also writes the raw source when asked.
void encodeGradient(H264Encoder* enc, const std::string& path, int w, int h, int frames,
                    std::vector<uint8_t>* raw) {
  ASSERT_EQ(H264Enc_OpenFile(enc, path.c_str()), 0);
  for (int i = 0; i < frames; ++i) {
    std::vector<uint8_t> pic = movingGradient(w, h, i);
    if (raw) raw->insert(raw->end(), pic.begin(), pic.end());
    uint8_t* pkt = nullptr;
    int len = -1;
    int r = H264Enc_Encode(enc, pic.data(), &pkt, &len);
    ASSERT_GE(r, 0);
    if (r == 0) {
      ASSERT_NE(pkt, nullptr);
      ASSERT_GT(len, 0);
    }
    ASSERT_EQ(H264Enc_WritePacket(enc, pkt, len), 0);
  }
  ASSERT_EQ(H264Enc_CloseFile(enc), 0);
}

std::string probe(const std::string& path) {
  std::string out;
  run(ffprobe() +
          " -v error -count_frames -select_streams v:0 -show_entries "
          "stream=codec_name,width,height,r_frame_rate,avg_frame_rate,nb_read_frames -of default=nw=1 " +
          path,
      &out);
  return out;
}

}  // namespace

TEST(VideoEncoder, HundredGradientFramesGiveAnExactMp4WithHighPsnr) {
  const std::string dir = scratchDir();
  const int w = 320, h = 256;
  H264Encoder* enc = H264Enc_Create();
  ASSERT_NE(enc, nullptr);
  H264EncConfig c = encConfig(w, h, 25, 1);
  c.keyInterval = 25;
  c.bitRate = 4000;
  ASSERT_EQ(H264Enc_SetConfig(enc, &c), 0);
  std::vector<uint8_t> raw;
  encodeGradient(enc, dir + "/out.mp4", w, h, 100, &raw);
  H264Enc_Free(&enc);
  EXPECT_EQ(enc, nullptr);

  std::string p = probe(dir + "/out.mp4");
  EXPECT_EQ(probeValue(p, "codec_name"), "h264") << p;
  EXPECT_EQ(probeValue(p, "width"), "320");
  EXPECT_EQ(probeValue(p, "height"), "256");
  EXPECT_EQ(probeValue(p, "r_frame_rate"), "25/1");
  EXPECT_EQ(probeValue(p, "nb_read_frames"), "100");

  ASSERT_TRUE(writeFile(dir + "/src.bgra", raw));
  std::string out;
  ASSERT_EQ(run(ffmpeg() + " -i " + dir + "/out.mp4 -f rawvideo -pix_fmt bgra -s 320x256 -r 25 -i " + dir +
                    "/src.bgra -lavfi \"[0:v][1:v]psnr\" -f null -",
                &out),
            0)
      << out;
  size_t at = out.find("average:");
  ASSERT_NE(at, std::string::npos) << out;
  double psnr = atof(out.c_str() + at + 8);
  EXPECT_GE(psnr, 38.0) << out;
}

TEST(VideoEncoder, OddSizeIsCroppedAndZeroRateBecomes25) {
  const std::string dir = scratchDir();
  H264Encoder* enc = H264Enc_Create();
  H264EncConfig c = encConfig(161, 121, 0, 0);
  ASSERT_EQ(H264Enc_SetConfig(enc, &c), 0);
  encodeGradient(enc, dir + "/odd.mp4", 161, 121, 10, nullptr);
  H264Enc_Free(&enc);
  std::string p = probe(dir + "/odd.mp4");
  EXPECT_EQ(probeValue(p, "width"), "160") << p;
  EXPECT_EQ(probeValue(p, "height"), "120");
  EXPECT_EQ(probeValue(p, "r_frame_rate"), "25/1");
  EXPECT_EQ(probeValue(p, "nb_read_frames"), "10");
}

TEST(VideoEncoder, EachFileStartsWithAnIdrAndKeepsAllFrames) {
  const std::string dir = scratchDir();
  H264Encoder* enc = H264Enc_Create();
  H264EncConfig c = encConfig(160, 128, 30, 1);
  c.keyInterval = 100;  // no key frame inside either file but the first
  ASSERT_EQ(H264Enc_SetConfig(enc, &c), 0);
  encodeGradient(enc, dir + "/a.mp4", 160, 128, 17, nullptr);
  encodeGradient(enc, dir + "/b.mp4", 160, 128, 23, nullptr);
  H264Enc_Free(&enc);
  for (auto [name, count] : {std::pair{"a", 17}, std::pair{"b", 23}}) {
    std::string out;
    run(ffprobe() + " -v error -select_streams v:0 -show_entries frame=key_frame,pict_type -of csv=p=0 " +
            dir + "/" + name + ".mp4",
        &out);
    EXPECT_EQ(out.rfind("1,I", 0), 0u) << name << ": " << out;
    int frames = 0;  // ffprobe adds a blank line after frames with side data
    for (size_t at = 0; (at = out.find(",P", at)) != std::string::npos; ++at) ++frames;
    for (size_t at = 0; (at = out.find(",I", at)) != std::string::npos; ++at) ++frames;
    EXPECT_EQ(frames, count) << name;
    std::string err;
    EXPECT_EQ(run(ffmpeg() + " -v error -i " + dir + "/" + name + ".mp4 -f null -", &err), 0);
    EXPECT_EQ(err, "") << name;
  }
}

namespace {
std::atomic<int> hardwareNotes{0};
void countHardwareNotes(int, const char* text, void*) {
  if (strstr(text, "hardware")) hardwareNotes++;
}
}  // namespace

TEST(VideoEncoder, MisuseGivesCodesAndHardwareFallsBackOnce) {
  const std::string dir = scratchDir();
  OstrelFfmpeg_SetLogCallback(countHardwareNotes, nullptr, OSTREL_FF_LOG_DEBUG);
  EXPECT_EQ(OstrelFfmpeg_Init(), 0);
  uint8_t pic[4 * 64 * 64] = {0};
  uint8_t* pkt = reinterpret_cast<uint8_t*>(1);
  int len = 7;
  EXPECT_EQ(H264Enc_SetConfig(nullptr, nullptr), OSTREL_FF_E_HANDLE);
  EXPECT_EQ(H264Enc_Encode(nullptr, pic, &pkt, &len), OSTREL_FF_E_HANDLE);
  EXPECT_EQ(pkt, nullptr);
  EXPECT_EQ(len, 0);
  H264Encoder* enc = H264Enc_Create();
  EXPECT_EQ(H264Enc_OpenFile(enc, (dir + "/x.mp4").c_str()), OSTREL_FF_E_STATE);  // not configured
  H264EncConfig bad = encConfig(0, 64, 25, 1);
  EXPECT_EQ(H264Enc_SetConfig(enc, &bad), OSTREL_FF_E_ARGUMENT);
  H264EncConfig c = encConfig(64, 64, 25, 1);
  c.codec = 2;  // "cuda"
  ASSERT_EQ(H264Enc_SetConfig(enc, &c), 0);
  ASSERT_EQ(H264Enc_SetConfig(enc, &c), 0);
  EXPECT_EQ(H264Enc_Encode(enc, pic, &pkt, &len), OSTREL_FF_E_STATE);  // no file open
  EXPECT_EQ(H264Enc_WritePacket(enc, pic, 4), OSTREL_FF_E_STATE);
  EXPECT_EQ(H264Enc_OpenFile(enc, (dir + "/no/such/dir/x.mp4").c_str()), OSTREL_FF_E_OPEN);
  ASSERT_EQ(H264Enc_OpenFile(enc, (dir + "/x.mp4").c_str()), 0);
  EXPECT_EQ(H264Enc_WritePacket(enc, nullptr, 0), 0);  // "nothing to write" is fine
  EXPECT_EQ(H264Enc_Encode(enc, nullptr, &pkt, &len), OSTREL_FF_E_ARGUMENT);
  EXPECT_EQ(H264Enc_CloseFile(enc), 0);
  EXPECT_EQ(H264Enc_CloseFile(enc), 0);  // closing twice is harmless
  H264Enc_Free(&enc);
  H264Enc_Free(&enc);
  H264Enc_Free(nullptr);
  EXPECT_EQ(hardwareNotes.load(), 1);
  EXPECT_EQ(OstrelFfmpeg_Uninit(), 0);
  OstrelFfmpeg_SetLogCallback(nullptr, nullptr, 0);
}
