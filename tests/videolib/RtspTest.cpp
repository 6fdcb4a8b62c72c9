// RTSP reader: a stream pushed by the ffmpeg command into a listening reader on loopback, and
// servers that are dead or silent. No case binds a port the kernel may hand out to a client.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "OstrelFfmpeg.h"
#include "VideoTestKit.h"

using namespace vltest;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// The listening reader needs a port known before it listens: one below Linux's ephemeral range
// (32768 and up), so no client connection of another test can hold it.
const char* const kListenAddress = "127.0.0.1";
constexpr int kListenPort = 18561;

}  // namespace

TEST(VideoRtsp, ListeningReaderTakesAPushedStreamAndRecordsIt) {
  const int port = kListenPort;
  const std::string dir = scratchDir();
  std::string out;
  ASSERT_EQ(run(ffmpeg() +
                    " -v error -f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 50 -c:v libx264 "
                    "-preset veryfast -tune zerolatency -bf 0 -g 25 -y " +
                    dir + "/src.mp4",
                &out),
            0)
      << out;
  const std::string url = std::string("rtsp://") + kListenAddress + ":" + std::to_string(port) + "/live";
  RtspOpenConfig cfg{};
  cfg.options = OSTREL_RTSP_TCP | OSTREL_RTSP_LISTEN;
  RtspStream* s = nullptr;
  std::thread opener([&] { s = Rtsp_Open(url.c_str(), &cfg); });
  auto t0 = Clock::now();
  while (!isListening(kListenAddress, port) && secondsSince(t0) < 5)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(isListening(kListenAddress, port));
  int pushRc = -1;
  std::string pushOut;
  std::thread pusher([&] {
    pushRc = run(ffmpeg() + " -v error -re -i " + dir + "/src.mp4 -c copy -f rtsp -rtsp_transport tcp " + url,
                 &pushOut, 60);
  });
  opener.join();
  if (!s) {
    pusher.join();
    FAIL() << "open failed; pusher: " << pushOut;
  }
  EXPECT_EQ(cfg.width, 320);
  EXPECT_EQ(cfg.height, 240);
  const std::string rec = dir + "/rec.mp4";
  ASSERT_EQ(Rtsp_BeginSave(s, rec.c_str()), 0);
  EXPECT_EQ(Rtsp_BeginSave(s, rec.c_str()), OSTREL_FF_E_STATE);
  std::vector<uint8_t> bgra(320 * 240 * 4), plane(320 * 240 + 64, 0xA5);
  int pictures = 0, last = 0;
  for (int i = 0; i < 80; ++i) {
    last = Rtsp_Read(s, bgra.data(), plane.data());
    if (last == 0) ++pictures;
    if (last == OSTREL_FF_E_STREAM_END) break;
  }
  EXPECT_GE(pictures, 45);
  EXPECT_LE(pictures, 50);
  EXPECT_EQ(last, OSTREL_FF_E_STREAM_END);
  for (size_t k = 320 * 240; k < plane.size(); ++k) ASSERT_EQ(plane[k], 0xA5);
  // Once ended, reads are paced instead of returning at once.
  auto t1 = Clock::now();
  EXPECT_EQ(Rtsp_Read(s, bgra.data(), nullptr), OSTREL_FF_E_STREAM_END);
  EXPECT_EQ(Rtsp_Read(s, bgra.data(), nullptr), OSTREL_FF_E_STREAM_END);
  EXPECT_GE(secondsSince(t1), 2 * OSTREL_RTSP_FAIL_PAUSE_MS / 1000.0 * 0.9);
  EXPECT_EQ(Rtsp_EndSave(s), 0);
  EXPECT_EQ(Rtsp_EndSave(s), OSTREL_FF_E_STATE);
  Rtsp_Close(&s);
  EXPECT_EQ(s, nullptr);
  pusher.join();
  EXPECT_EQ(pushRc, 0) << pushOut;

  std::string p;
  ASSERT_EQ(run(ffprobe() +
                    " -v error -count_frames -show_entries stream=codec_name,width,height,nb_read_frames "
                    "-of default=nw=1 " +
                    rec,
                &p),
            0)
      << p;
  EXPECT_EQ(probeValue(p, "codec_name"), "h264") << p;
  EXPECT_EQ(probeValue(p, "width"), "320");
  EXPECT_GE(atoi(probeValue(p, "nb_read_frames").c_str()), 45) << p;
  std::string err;
  EXPECT_EQ(run(ffmpeg() + " -v error -i " + rec + " -f null -", &err), 0);
  EXPECT_EQ(err, "");
}

TEST(VideoRtsp, SilentServerMakesOpenGiveUpAtItsDeadline) {
  // Accepts (in the kernel's backlog) and then says nothing.
  int port = 0;
  int fd = boundLoopbackSocket(/*listening=*/true, &port);
  ASSERT_GE(fd, 0);
  RtspOpenConfig cfg{};
  cfg.options = OSTREL_RTSP_TCP;
  auto t0 = Clock::now();
  RtspStream* s = Rtsp_Open(("rtsp://127.0.0.1:" + std::to_string(port) + "/x").c_str(), &cfg);
  double took = secondsSince(t0);
  EXPECT_EQ(s, nullptr);
  EXPECT_LT(took, OSTREL_RTSP_OPEN_TIMEOUT_MS / 1000.0 + 5);
  EXPECT_EQ(cfg.width, 0);
  Rtsp_Close(&s);
  close(fd);
}

TEST(VideoRtsp, DeadServerAndBadArgumentsFailCleanly) {
  // A bound socket that does not listen holds its port, so connections to it are refused.
  int port = 0;
  int fd = boundLoopbackSocket(/*listening=*/false, &port);
  ASSERT_GE(fd, 0);
  const std::string url = "rtsp://127.0.0.1:" + std::to_string(port) + "/x";
  RtspOpenConfig cfg{};
  auto t0 = Clock::now();
  cfg.options = OSTREL_RTSP_TCP;
  EXPECT_EQ(Rtsp_Open(url.c_str(), &cfg), nullptr);
  EXPECT_LT(secondsSince(t0), OSTREL_RTSP_OPEN_TIMEOUT_MS / 1000.0 + 5);
  EXPECT_EQ(Rtsp_Open(nullptr, &cfg), nullptr);
  EXPECT_EQ(Rtsp_Open(url.c_str(), nullptr), nullptr);
  uint8_t px[4];
  EXPECT_EQ(Rtsp_Read(nullptr, px, nullptr), OSTREL_FF_E_HANDLE);
  EXPECT_EQ(Rtsp_BeginSave(nullptr, "x.mp4"), OSTREL_FF_E_HANDLE);
  EXPECT_EQ(Rtsp_EndSave(nullptr), OSTREL_FF_E_HANDLE);
  Rtsp_Close(nullptr);
  close(fd);
}
