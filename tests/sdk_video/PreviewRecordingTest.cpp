// Recording a running temperature preview into stream files (every frame, by count, by camera
// time, a second file, a full disk) and into H.264, read back by the file access layer, by a
// Python struct reader written from the format's table, by Pillow and by ffprobe.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "VideoKit.h"
#include "camsim/CameraSim.h"

using namespace vpk;

namespace {

constexpr int kW = 160, kH = 120;
constexpr size_t kP = size_t{kW} * kH;
constexpr int64_t kFirst = 4 * kP + 1216, kFrame = 2 * kP + 128;
constexpr int64_t kTick40ms = 400000;

class PreviewRecording : public ::testing::Test {
 protected:
  void startCamera(const std::string& address, int64_t timeBase = 0, int64_t timeStep = 0) {
    camsim::CameraSimOptions o;
    o.address = address;
    o.tempStream = false;
    o.identity.dataWidth = kW;
    o.identity.dataHeight = kH;
    o.identity.dataFps = 100;
    sim_ = std::make_unique<camsim::CameraSim>(o);
    ASSERT_EQ(sim_->start(), 0);
    camsim::TempStreamConfig t;
    t.address = address;
    t.width = kW;
    t.height = kH;
    t.fps = 100;
    t.headTimeBase = timeBase;
    t.headTimeStep = timeStep;
    stream_ = std::make_unique<camsim::TempStreamServer>(t);
    ASSERT_EQ(stream_->start(), 0);
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    LoginInfo login{};
    std::snprintf(login.ip, sizeof login.ip, "%s", address.c_str());
    CameraBasicInfoRecord basic{};
    user_ = Ostrel_Login(&login, &basic);
    ASSERT_GE(user_, 0);
    c_.tempBytes = 128 + 2 * kP;
    c_.imageBytes = 4 * kP;
    PreviewInfo info{};
    info.dataType = PREVIEW_TEMPERATURE;
    info.callback = &Collector::callback;
    info.userData = &c_;
    id_ = Ostrel_StartPreview(user_, &info);
    ASSERT_GE(id_, 0);
    ASSERT_TRUE(c_.waitFrames(3));
  }
  void TearDown() override {
    Ostrel_FreeSDK();
    if (stream_) stream_->stop();
    if (sim_) sim_->stop();
  }
  void waitMore(size_t frames) { ASSERT_TRUE(c_.waitFrames(c_.frames().size() + frames)); }

  // Reads a stream file with the Python reader against every frame delivered so far.
  nlohmann::json readBack(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path();
    std::ofstream d(dir + "/delivered.bin", std::ios::binary), im(dir + "/images.bin", std::ios::binary);
    for (auto& f : c_.frames()) {
      d.write(reinterpret_cast<const char*>(f.head.data()), static_cast<long>(f.head.size()));
      im.write(reinterpret_cast<const char*>(f.image.data()), static_cast<long>(f.image.size()));
    }
    d.close();
    im.close();
    std::string out;
    EXPECT_EQ(run(python() + " " + scriptPath("stream_file.py") + " " + path + " " + dir + "/delivered.bin " + dir +
                      "/images.bin", &out), 0) << out;
    return nlohmann::json::parse(out, nullptr, false);
  }
  // Delivered positions of the file's frames.
  static std::vector<int> positions(const nlohmann::json& j) {
    std::vector<int> p;
    for (auto& f : j["list"]) p.push_back(f["delivered"].get<int>());
    return p;
  }

  std::unique_ptr<camsim::CameraSim> sim_;
  std::unique_ptr<camsim::TempStreamServer> stream_;
  int user_ = -1, id_ = -1;
  Collector c_;
};

}  // namespace

TEST_F(PreviewRecording, StreamFileHoldsTheDeliveredFramesWholeBehindTheFirstFramesCover) {
  startCamera(ostrel::test::loopbackAddress(28, 40));
  const std::string dir = scratchDir(), path = dir + "/rec.stream";
  EXPECT_EQ(Ostrel_BeginSave(id_, path.c_str(), 1), OSTREL_E_UNSUPPORTED);
  EXPECT_EQ(Ostrel_BeginSave(id_, (dir + "/no/such/dir.stream").c_str(), 2), OSTREL_E_OPEN);
  ASSERT_EQ(Ostrel_BeginSave(id_, path.c_str(), 2), 0);
  waitMore(20);
  ASSERT_EQ(Ostrel_EndSave(id_, 2), 0);
  waitMore(2);  // frames after the end are not written
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(path));
  // The frame in flight when the recording began may have passed the recorder already.
  ASSERT_GE(size, kFirst + 19 * kFrame);
  EXPECT_EQ((size - kFirst) % kFrame, 0);
  auto j = readBack(path);
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["magic"], "BM");
  EXPECT_EQ(j["bm_size"], 4 * kP + 64);
  EXPECT_EQ(j["data_offset"], 64);
  EXPECT_EQ(j["width"], kW);
  EXPECT_EQ(j["height"], kH);
  EXPECT_EQ(j["bpp"], 32);
  EXPECT_EQ(j["head_width"], kW);
  EXPECT_EQ(j["head_height"], kH);
  EXPECT_EQ(j["camera_id"], "CAMSIM-0001");
  EXPECT_EQ(j["fps_num"], 100);
  EXPECT_EQ(j["fps_div"], 1);
  EXPECT_EQ(j["palette"], 5);
  EXPECT_EQ(j["version"], 1);
  EXPECT_TRUE(j["reserved_zero"].get<bool>());
  EXPECT_EQ(j["frames"], (size - kFirst) / kFrame);
  auto pos = positions(j);
  ASSERT_FALSE(pos.empty());
  for (size_t k = 0; k < pos.size(); ++k) EXPECT_EQ(pos[k], pos[0] + static_cast<int>(k)) << k;
  EXPECT_EQ(j["cover_differ"], 0);
  // The file access layer reads the same frames.
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  ASSERT_EQ(TF_Open(tf, path.c_str(), TfOpenType_Stream), 0);
  auto delivered = c_.frames();
  for (size_t k = 0; k < pos.size(); ++k) {
    TFFrame f{};
    ASSERT_EQ(TF_ReadFrame(tf, static_cast<int>(k), &f), 0);
    const auto& want = delivered[static_cast<size_t>(pos[k])].head;
    EXPECT_EQ(std::memcmp(f.head, want.data(), 128), 0);
    EXPECT_EQ(std::memcmp(f.data, want.data() + 128, 2 * kP), 0);
  }
  TF_Close(tf);
  TF_Free(&tf);
}

TEST_F(PreviewRecording, ASecondBeginClosesTheFirstFileWhole) {
  startCamera(ostrel::test::loopbackAddress(28, 41));
  const std::string dir = scratchDir(), a = dir + "/a.stream", b = dir + "/b.stream";
  ASSERT_EQ(Ostrel_BeginSave(id_, a.c_str(), 2), 0);
  waitMore(5);
  ASSERT_EQ(Ostrel_BeginSaveStream(id_, b.c_str(), 0), 0);
  waitMore(5);
  ASSERT_EQ(Ostrel_EndSave(id_, 2), 0);
  waitMore(2);  // the last frame recorded may still be on its way to the callback
  auto ja = readBack(a), jb = readBack(b);
  auto pa = positions(ja), pb = positions(jb);
  ASSERT_FALSE(pa.empty());
  ASSERT_FALSE(pb.empty());
  EXPECT_TRUE(ja["whole"].get<bool>());
  EXPECT_TRUE(jb["whole"].get<bool>());
  EXPECT_EQ(pb.front(), pa.back() + 1);
  for (int p : pa) EXPECT_GE(p, 0);
}

TEST_F(PreviewRecording, CadenceFiveKeepsEveryFifthFrame) {
  startCamera(ostrel::test::loopbackAddress(28, 42));
  const std::string dir = scratchDir(), path = dir + "/five.stream";
  EXPECT_EQ(Ostrel_BeginSaveStream(id_, path.c_str(), 101), OSTREL_E_ARGUMENT);
  EXPECT_EQ(Ostrel_BeginSaveStream(id_, path.c_str(), -101), OSTREL_E_ARGUMENT);
  ASSERT_EQ(Ostrel_BeginSaveStream(id_, path.c_str(), 5), 0);
  waitMore(12);
  ASSERT_EQ(Ostrel_EndSave(id_, 2), 0);
  waitMore(2);  // the last frame recorded may still be on its way to the callback
  auto pos = positions(readBack(path));
  ASSERT_GE(pos.size(), 3u);
  for (size_t k = 0; k < pos.size(); ++k) EXPECT_EQ(pos[k], pos[0] + 5 * static_cast<int>(k));
}

// Camera times 40 ms apart; a gap of 2 s keeps one frame in 51. The times start 150 frames below
// 2^32 ticks, so the kept frames straddle that boundary however late the recording begins within
// the first 1.5 s of the stream.
TEST_F(PreviewRecording, NegativeCadenceKeepsOneFramePerTimeGapAcrossTheLowWordBoundary) {
  constexpr int kBelow = 150;
  startCamera(ostrel::test::loopbackAddress(28, 43), (int64_t{1} << 32) - kBelow * kTick40ms, kTick40ms);
  const std::string dir = scratchDir(), path = dir + "/gap.stream";
  ASSERT_EQ(Ostrel_BeginSaveStream(id_, path.c_str(), -2), 0);
  // Two kept frames past the boundary have been through the recorder once the frame after them
  // has been delivered.
  ASSERT_TRUE(c_.waitFrames(kBelow + 2 * 51 + 2));
  ASSERT_EQ(Ostrel_EndSave(id_, 2), 0);
  waitMore(2);  // the last frame recorded may still be on its way to the callback
  auto j = readBack(path);
  auto pos = positions(j);
  ASSERT_GE(pos.size(), 3u);
  bool straddled = false;
  for (size_t k = 1; k < pos.size(); ++k) {
    const int64_t t0 = j["list"][k - 1]["time"].get<int64_t>(), t1 = j["list"][k]["time"].get<int64_t>();
    EXPECT_EQ(pos[k], pos[k - 1] + 51) << k;
    EXPECT_EQ(t1 - t0, 51 * kTick40ms) << k;
    straddled = straddled || (t0 < (int64_t{1} << 32) && t1 > (int64_t{1} << 32));
  }
  EXPECT_TRUE(straddled);
}

TEST_F(PreviewRecording, H264RecordingHoldsTheFramesDeliveredMeanwhile) {
  startCamera(ostrel::test::loopbackAddress(28, 44));
  const std::string dir = scratchDir(), path = dir + "/temp.mp4";
  ASSERT_EQ(Ostrel_BeginSave(id_, path.c_str(), 3), 0);
  const size_t first = c_.frames().size();
  waitMore(40);
  // Frames keep coming while the end runs: the count lies between those called back before the
  // end began and those called back once it returned, give or take the frame in flight at
  // either edge (recorded before its callback).
  const long before = static_cast<long>(c_.frames().size() - first);
  ASSERT_EQ(Ostrel_EndSave(id_, 3), 0);
  const long after = static_cast<long>(c_.frames().size() - first);
  std::string out;
  ASSERT_EQ(run(ffprobe() + " -v error -count_frames -show_entries stream=codec_name,width,height,nb_read_frames "
                            "-of default=nw=1 " + path, &out), 0) << out;
  EXPECT_EQ(probeValue(out, "codec_name"), "h264");
  EXPECT_EQ(probeValue(out, "width"), std::to_string(kW));
  EXPECT_EQ(probeValue(out, "height"), std::to_string(kH));
  const long frames = std::atol(probeValue(out, "nb_read_frames").c_str());
  EXPECT_GE(frames, before - 1) << out;
  EXPECT_LE(frames, after + 1) << out;
  std::string err;
  EXPECT_EQ(run(ffmpeg() + " -v error -i " + path + " -f null -", &err), 0);
  EXPECT_EQ(err, "");
}

// The recording runs in a forked child whose file size is limited (the limit would also stop the
// test's own files): it must end on a whole frame, say so once, and the preview must go on.
TEST_F(PreviewRecording, FullDiskEndsTheFileOnAWholeFrame) {
  const std::string dir = std::string(OSTREL_TEST_BINARY_DIR) + "/scratch/fulldisk";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/full.stream";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead of ending us
    rlimit lim{};
    lim.rlim_cur = lim.rlim_max = static_cast<rlim_t>(kFirst + 3 * kFrame + kFrame / 2);
    int code = setrlimit(RLIMIT_FSIZE, &lim) == 0 ? 0 : 10;
    if (code == 0) startCamera(ostrel::test::loopbackAddress(28, 45));
    if (code == 0 && HasFailure()) code = 11;
    if (code == 0 && Ostrel_BeginSave(id_, path.c_str(), 2) != 0) code = 12;
    if (code == 0 && !c_.waitFrames(c_.frames().size() + 12)) code = 13;
    if (code == 0 && Ostrel_EndSave(id_, 2) != OSTREL_E_WRITE) code = 14;
    if (code == 0 && Ostrel_EndSave(id_, 2) != 0) code = 15;  // the failure is told once
    if (code == 0 && !c_.waitFrames(c_.frames().size() + 2)) code = 16;  // the preview goes on
    // The child ends like a finished case (no threads left behind), but without the parent's
    // clean-up and exit handlers.
    Ostrel_FreeSDK();
    if (stream_) stream_->stop();
    if (sim_) sim_->stop();
    std::fflush(nullptr);
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "child status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10 limit, 11 start, 12 begin, 13 frames, 14 end not -197, "
                                       "15 second end, 16 preview stopped";
  EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(kFirst + 3 * kFrame));
}
