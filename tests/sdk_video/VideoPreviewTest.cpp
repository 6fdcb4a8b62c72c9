// Video and mixed previews against the simulated camera's H.264 ports: pictures in order and equal
// to the ffmpeg command's decode of the clip, loss and recovery, empty units, odd start records,
// and recording the received stream.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "NetKit.h"
#include "VideoSim.h"
#include "foundation/Logger.h"

using namespace vpk;
using Clock = std::chrono::steady_clock;

namespace {

class VideoPreview : public VideoSimFixture {};

// Checks that each delivered picture reads as a frame of the clip, frames follow one another
// (modulo the clip length), carry the stream's own square and match ffmpeg's decode within 2.
void expectClipPictures(const std::vector<Seen>& frames, int w, int h, bool mixed) {
  auto reference = ffmpegDecode(clipPath(w, h, mixed), w, h);
  ASSERT_EQ(reference.size(), static_cast<size_t>(kClipFrames));
  int previous = -1;
  for (const auto& f : frames) {
    int n = -1;
    bool square = false;
    ASSERT_TRUE(readSquares(reinterpret_cast<const uint32_t*>(f.image.data()), w, &n, &square));
    EXPECT_EQ(square, mixed);
    ASSERT_LT(n, kClipFrames);
    if (previous >= 0) {
      EXPECT_EQ(n, (previous + 1) % kClipFrames);
    }
    previous = n;
    int worst = 0;
    for (size_t i = 0; i < f.image.size(); ++i)
      if (i % 4 != 3) worst = std::max(worst, std::abs(int(f.image[i]) - int(reference[n][i])));
    EXPECT_LE(worst, 2) << "frame " << n;
  }
}

}  // namespace

TEST_F(VideoPreview, VideoAndMixedStreamsShowTheirOwnSquaresInOrderAsFfmpegDecodesThem) {
  startCamera(ostrel::test::loopbackAddress(28, 1));
  Collector& v = c_;
  Collector& m = m_;
  v.imageBytes = m.imageBytes = size_t{320} * 240 * 4;
  PreviewInfo vi{}, mi{};
  int vid = start(PREVIEW_VIDEO, v, &vi);
  int mid = start(PREVIEW_MIXED, m, &mi);
  ASSERT_GE(vid, 0);
  ASSERT_GE(mid, 0);
  EXPECT_EQ(vi.width, 320);
  EXPECT_EQ(vi.height, 240);
  ASSERT_TRUE(v.waitFrames(60));
  ASSERT_TRUE(m.waitFrames(60));
  EXPECT_EQ(Ostrel_StopPreview(vid), 0);
  EXPECT_EQ(Ostrel_StopPreview(mid), 0);
  expectClipPictures(v.frames(), 320, 240, false);
  expectClipPictures(m.frames(), 320, 240, true);
  EXPECT_EQ(v.count(OSTREL_E_CONN_LOST), 0);
}

TEST_F(VideoPreview, EachBrokenFrameIsOneLossAndOneRestoration) {
  startCamera(ostrel::test::loopbackAddress(28, 2));
  Collector& c = c_;
  int id = start(PREVIEW_VIDEO, c);
  ASSERT_GE(id, 0);
  ASSERT_TRUE(c.waitFrames(5));
  const camsim::VideoFault faults[] = {camsim::VideoFault::CloseMidUnit, camsim::VideoFault::Total1023,
                                       camsim::VideoFault::Oversize, camsim::VideoFault::RefuseConnections};
  int round = 0;
  for (auto fault : faults) {
    ++round;
    video().setFault(fault, 2500);
    ASSERT_TRUE(c.waitStatus(OSTREL_E_CONN_LOST, round)) << round;
    ASSERT_TRUE(c.waitStatus(OSTREL_E_CONN_RESTORED, round)) << round;
    const size_t before = c.frames().size();
    ASSERT_TRUE(c.waitFrames(before + 3));
    EXPECT_EQ(c.count(OSTREL_E_CONN_LOST), round);
    EXPECT_EQ(c.count(OSTREL_E_CONN_RESTORED), round);
  }
  // A preview in recovery stops at once, whatever wait it is in.
  video().setFault(camsim::VideoFault::RefuseConnections, 30000);
  ASSERT_TRUE(c.waitStatus(OSTREL_E_CONN_LOST, round + 1));
  auto t0 = Clock::now();
  EXPECT_EQ(Ostrel_StopPreview(id), 0);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1));
}

namespace {
std::mutex g_logMutex;
std::condition_variable g_logCv;
int g_giveUps = 0;  // guarded by g_logMutex
void countGiveUps(int, const char* line, size_t length) {
  if (std::string(line, length).find("recover tryCount exceed") == std::string::npos) return;
  std::lock_guard<std::mutex> lk(g_logMutex);
  ++g_giveUps;
  g_logCv.notify_all();
}
}  // namespace

TEST_F(VideoPreview, ACameraOfAnotherSizeExhaustsElevenTriesAndTheRecoveryStartsOver) {
  startCamera(ostrel::test::loopbackAddress(28, 3));
  ostrel::logSetCallback(ostrel::logDefault(), countGiveUps);
  Collector& c = c_;
  int id = start(PREVIEW_VIDEO, c);
  ASSERT_GE(id, 0);
  ASSERT_TRUE(c.waitFrames(3));
  const int before = video().connections();
  video().setOtherSizeStarts(1000);
  video().setFault(camsim::VideoFault::CloseMidUnit);
  ASSERT_TRUE(c.waitStatus(OSTREL_E_CONN_LOST, 1));
  {
    std::unique_lock<std::mutex> lk(g_logMutex);
    ASSERT_TRUE(g_logCv.wait_for(lk, kLimit, [] { return g_giveUps >= 1; }));
    EXPECT_EQ(g_giveUps, 1);
  }
  EXPECT_EQ(video().otherSizeConnections(), 11);
  EXPECT_EQ(video().connections() - before, 11);
  // The next round, a second later, connects again: with the camera itself again the preview
  // comes back.
  video().setOtherSizeStarts(0);
  ASSERT_TRUE(c.waitStatus(OSTREL_E_CONN_RESTORED, 1));
  EXPECT_EQ(c.count(OSTREL_E_CONN_LOST), 1);
  EXPECT_EQ(video().otherSizeConnections(), 11);
  ostrel::logSetCallback(ostrel::logDefault(), nullptr);
  auto t0 = Clock::now();
  EXPECT_EQ(Ostrel_StopPreview(id), 0);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1));
}

TEST_F(VideoPreview, AnEmptyUnitDeliversThePreviousPicture) {
  startCamera(ostrel::test::loopbackAddress(28, 4));
  Collector& c = c_;
  c.imageBytes = size_t{320} * 240 * 4;
  c.extraBytes = 8;
  ASSERT_GE(start(PREVIEW_VIDEO, c), 0);
  // Past the start record's first frames: the store has wrapped at least once.
  ASSERT_TRUE(c.waitFrames(20));
  video().setFault(camsim::VideoFault::EmptyUnit);
  // Frames the camera sent before it may still be on their way: wait for the empty one itself.
  auto isEmpty = [](const Seen& f) {
    int32_t total;
    std::memcpy(&total, f.extra.data(), 4);
    return f.status == 0 && total == 1024;
  };
  {
    std::unique_lock<std::mutex> lk(c.mutex);
    ASSERT_TRUE(c.cv.wait_for(lk, kLimit, [&] { return std::any_of(c.seen.begin(), c.seen.end(), isEmpty); }));
  }
  auto frames = c.frames();
  int empties = 0;
  for (size_t i = 1; i < frames.size(); ++i) {
    int32_t total;
    std::memcpy(&total, frames[i].extra.data(), 4);
    if (total != 1024) continue;
    ++empties;
    EXPECT_EQ(frames[i].image, frames[i - 1].image);
  }
  EXPECT_EQ(empties, 1);
  EXPECT_EQ(c.count(OSTREL_E_CONN_LOST), 0);
}

TEST_F(VideoPreview, SetupLengthsOutsideTheRecordStillStartAndDecode) {
  startCamera(ostrel::test::loopbackAddress(28, 5));
  for (int32_t length : {-1, 200}) {
    video().setSetupLength(length);
    Collector& c = length < 0 ? c_ : m_;
    c.imageBytes = size_t{320} * 240 * 4;
    int id = start(PREVIEW_VIDEO, c);
    ASSERT_GE(id, 0) << length;
    ASSERT_TRUE(c.waitFrames(5));
    int n;
    bool square;
    EXPECT_TRUE(readSquares(reinterpret_cast<const uint32_t*>(c.frames().back().image.data()), 320, &n, &square));
    EXPECT_EQ(Ostrel_StopPreview(id), 0);
  }
}

TEST_F(VideoPreview, RecordingStoresTheReceivedUnitsFromTheFirstIdrOn) {
  startCamera(ostrel::test::loopbackAddress(28, 6));
  Collector& c = c_;
  c.imageBytes = size_t{320} * 240 * 4;
  int id = start(PREVIEW_VIDEO, c);
  ASSERT_GE(id, 0);
  const std::string dir = scratchDir();
  const std::string path = dir + "/video.mp4";
  EXPECT_EQ(Ostrel_BeginSave(id, path.c_str(), 2), OSTREL_E_UNSUPPORTED);
  ASSERT_TRUE(c.waitFrames(3));
  ASSERT_EQ(Ostrel_BeginSave(id, path.c_str(), 3), 0);
  const size_t first = c.frames().size();
  ASSERT_TRUE(c.waitFrames(first + 70));
  const size_t before = c.frames().size();
  ASSERT_EQ(Ostrel_EndSave(id, 2), 0);  // the type is not looked at for video
  const size_t after = c.frames().size();
  // The file's pictures are the clip's, in order, from an IDR picture.
  auto decoded = ffmpegDecode(path, 320, 240);
  ASSERT_FALSE(decoded.empty());
  int firstNumber = -1, previous = -1;
  for (auto& pic : decoded) {
    int n;
    bool square;
    ASSERT_TRUE(readSquares(reinterpret_cast<const uint32_t*>(pic.data()), 320, &n, &square));
    if (previous < 0) {
      EXPECT_EQ(n % kClipKeyInterval, 0);
      firstNumber = n;
    } else {
      EXPECT_EQ(n, (previous + 1) % kClipFrames);
    }
    previous = n;
  }
  // The first stored unit among those called back from the begin on (the unit in flight at the
  // begin may have been stored before its callback).
  auto frames = c.frames();
  size_t idr = first > 0 ? first - 1 : 0;
  for (; idr < before; ++idr) {
    int n;
    bool square;
    ASSERT_TRUE(readSquares(reinterpret_cast<const uint32_t*>(frames[idr].image.data()), 320, &n, &square));
    if (n == firstNumber) break;
  }
  ASSERT_LT(idr, before);
  // Units keep coming while the end runs: the count lies between the units called back before
  // the end began and those called back once it returned, give or take the unit in flight.
  const long low = static_cast<long>(before - idr) - 1, high = static_cast<long>(after - idr) + 1;
  std::string out;
  ASSERT_EQ(run(ffprobe() + " -v error -count_packets -show_entries stream=codec_name,width,height,nb_read_packets "
                            "-of default=nw=1 " + path, &out), 0) << out;
  EXPECT_EQ(probeValue(out, "codec_name"), "h264");
  EXPECT_EQ(probeValue(out, "width"), "320");
  EXPECT_EQ(probeValue(out, "height"), "240");
  const long packets = std::atol(probeValue(out, "nb_read_packets").c_str());
  EXPECT_GE(packets, low) << out;
  EXPECT_LE(packets, high) << out;
  std::string err;
  EXPECT_EQ(run(ffmpeg() + " -v error -i " + path + " -f null -", &err), 0);
  EXPECT_EQ(err, "");
}
