// Video preview and preview recording throughput against unpaced simulated cameras on loopback:
// H.264 frames/s from receive to callback beside the ffmpeg command decoding the same clip, and
// the temperature preview's rate and allocations per frame while it records a stream file, and
// its time per frame while it records H.264.
// The counting operator new below pairs malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "OstrelFfmpeg.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"
#include "camsim/VideoStreamServer.h"

namespace {
std::atomic<long> g_allocations{0};
std::atomic<long> g_frames{0};
void onFrame(int status, PreviewFrame*, void*) {
  if (status == 0) ++g_frames;
}
using Clock = std::chrono::steady_clock;

std::string scratch() {
  std::string dir = std::filesystem::temp_directory_path().string() + "/ostrel-bench-video-" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  return dir;
}

// A 50-frame clip of w x h with a moving bright bar on a gradient, an IDR picture every 25.
std::string makeClip(int w, int h) {
  const std::string path = scratch() + "/clip-" + std::to_string(w) + "x" + std::to_string(h) + ".h264";
  H264Encoder* enc = H264Enc_Create();
  H264EncConfig cfg{};
  cfg.width = static_cast<uint16_t>(w);
  cfg.height = static_cast<uint16_t>(h);
  cfg.fpsNum = 25;
  cfg.fpsDen = 1;
  cfg.keyInterval = 25;
  bool ok = enc && H264Enc_SetConfig(enc, &cfg) == 0 && H264Enc_OpenFile(enc, path.c_str()) == 0;
  std::vector<uint8_t> pic(static_cast<size_t>(w) * h * 4);
  for (int n = 0; ok && n < 50; ++n) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* p = &pic[(static_cast<size_t>(y) * w + x) * 4];
        const bool bar = (x - 8 * n) % w < 40 && (x - 8 * n) % w >= 0;
        p[0] = static_cast<uint8_t>(bar ? 250 : x * 200 / w);
        p[1] = static_cast<uint8_t>(bar ? 250 : y * 200 / h);
        p[2] = static_cast<uint8_t>(bar ? 250 : 60);
        p[3] = 255;
      }
    uint8_t* packet = nullptr;
    int length = 0;
    int rc = H264Enc_Encode(enc, pic.data(), &packet, &length);
    ok = rc == 1 || (rc == 0 && H264Enc_WritePacket(enc, packet, length) == 0);
  }
  ok = ok && H264Enc_CloseFile(enc) == 0;
  H264Enc_Free(&enc);
  return ok ? path : "";
}

int login(const std::string& address) {
  LoginInfo info{};
  std::snprintf(info.ip, sizeof info.ip, "%s", address.c_str());
  CameraBasicInfoRecord basic{};
  return Ostrel_Login(&info, &basic);
}

// Frames/s of the callback over `count` frames after a warm-up.
double measure(long count) {
  while (g_frames < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const long f0 = g_frames;
  const auto t0 = Clock::now();
  while (g_frames - f0 < count) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return (g_frames - f0) / std::chrono::duration<double>(Clock::now() - t0).count();
}
}  // namespace

void* operator new(size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

static void BM_VideoPreview(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const std::string address = "127.0.28.100";
  const std::string clipFile = makeClip(w, h);
  auto clip = std::make_shared<camsim::AnnexBClip>();
  if (clipFile.empty() || !camsim::loadAnnexBClip(clipFile, clip.get())) {
    state.SkipWithError("clip not made");
    return;
  }
  camsim::CameraSimOptions o;
  o.address = address;
  o.tempStream = false;
  o.identity.imageWidth = static_cast<uint16_t>(w);
  o.identity.imageHeight = static_cast<uint16_t>(h);
  camsim::CameraSim sim(o);
  camsim::VideoStreamConfig vc;
  vc.address = address;
  vc.width = w;
  vc.height = h;
  vc.paced = false;
  vc.clip = clip;
  camsim::VideoStreamServer server(vc);
  if (sim.start() != 0 || server.start() != 0 || Ostrel_InitSDK() != 0) {
    state.SkipWithError("simulator or SDK did not start");
    return;
  }
  const int user = login(address);
  for (auto _ : state) {
    PreviewInfo info{};
    info.dataType = PREVIEW_VIDEO;
    info.callback = onFrame;
    g_frames = 0;
    const int id = Ostrel_StartPreview(user, &info);
    if (id < 0) {
      state.SkipWithError("preview did not start");
      break;
    }
    const double fps = measure(500);
    Ostrel_StopPreview(id);
    // The peer: the ffmpeg command decoding the same clip ten times into BGRA.
    const auto t0 = Clock::now();
    const std::string cmd = "ffmpeg -nostdin -v error -stream_loop 9 -f h264 -i " + clipFile +
                            " -pix_fmt bgra -f null - >/dev/null 2>&1";
    const int rc = std::system(cmd.c_str());
    const double peer = 500 / std::chrono::duration<double>(Clock::now() - t0).count();
    state.counters["frames_per_s"] = fps;
    state.counters["ffmpeg_frames_per_s"] = rc == 0 ? peer : 0;
    std::printf("video %dx%d: %.0f frames/s receive to callback; ffmpeg command %.0f frames/s; ratio %.2f\n", w, h,
                fps, peer, fps / peer);
  }
  Ostrel_FreeSDK();
  server.stop();
  sim.stop();
  std::filesystem::remove_all(std::filesystem::path(clipFile).parent_path());
}
BENCHMARK(BM_VideoPreview)->Args({640, 512})->Args({1280, 1024})->Iterations(1)->Unit(benchmark::kMillisecond);

// type 2: stream file, type 3: H.264.
static void BM_TempRecording(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int type = static_cast<int>(state.range(2));
  const std::string address = "127.0.28.101";
  camsim::CameraSimOptions o;
  o.address = address;
  o.identity.dataWidth = static_cast<uint16_t>(w);
  o.identity.dataHeight = static_cast<uint16_t>(h);
  o.tempPaced = false;
  camsim::CameraSim sim(o);
  if (sim.start() != 0 || Ostrel_InitSDK() != 0) {
    state.SkipWithError("simulator or SDK did not start");
    return;
  }
  const int user = login(address);
  const std::string dir = scratch();
  const std::string path = dir + (type == 2 ? "/rec.stream" : "/rec.mp4");
  for (auto _ : state) {
    PreviewInfo info{};
    info.dataType = PREVIEW_TEMPERATURE;
    info.callback = onFrame;
    g_frames = 0;
    const int id = Ostrel_StartPreview(user, &info);
    while (g_frames < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (id < 0 || Ostrel_BeginSave(id, path.c_str(), type) != 0) {
      state.SkipWithError("recording did not start");
      break;
    }
    const long a0 = g_allocations;
    const long f0 = g_frames;
    const double fps = measure(type == 2 ? 400 : 200);
    const long allocs = g_allocations - a0, frames = g_frames - f0;
    const int end = Ostrel_EndSave(id, type);
    Ostrel_StopPreview(id);
    state.counters["frames_per_s"] = fps;
    if (type == 2) {
      state.counters["allocs_per_frame"] = static_cast<double>(allocs) / frames;
      std::printf("temperature %dx%d with stream recording: %.0f frames/s, %.3f allocations per frame (end %d)\n", w,
                  h, fps, static_cast<double>(allocs) / frames, end);
    } else {
      state.counters["ms_per_frame"] = 1000.0 / fps;
      std::printf("temperature %dx%d with H.264 recording: %.2f ms per frame (%.0f frames/s, end %d)\n", w, h,
                  1000.0 / fps, fps, end);
    }
  }
  Ostrel_FreeSDK();
  sim.stop();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_TempRecording)
    ->Args({640, 512, 2})
    ->Args({640, 512, 3})
    ->Args({1280, 1024, 3})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
