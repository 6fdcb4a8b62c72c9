// Video library speed: BGRA -> H.264 MP4 against the ffmpeg command with the same settings, and
// H.264 1080p decoding to BGRA.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "OstrelFfmpeg.h"

namespace {

constexpr int kFrames = 300;
constexpr int kDistinct = 30;  // pictures cycled through, so the raw input stays small

std::string scratch() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/bench_videolib.XXXXXX";
    const char* d = mkdtemp(tmpl);
    return std::string(d ? d : "/tmp");
  }();
  return dir;
}

std::vector<uint8_t> gradient(int w, int h, int f) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* q = &p[(static_cast<size_t>(y) * w + x) * 4];
      q[0] = static_cast<uint8_t>((x + 4 * f) * 255 / (w + 200));
      q[1] = static_cast<uint8_t>((y + 2 * f) * 255 / (h + 100));
      q[2] = static_cast<uint8_t>((x + y) * 150 / (w + h) + f);
      q[3] = 255;
    }
  return p;
}

const std::vector<std::vector<uint8_t>>& pictures(int w, int h) {
  static std::map<std::pair<int, int>, std::vector<std::vector<uint8_t>>> cache;
  auto& v = cache[{w, h}];
  if (v.empty())
    for (int i = 0; i < kDistinct; ++i) v.push_back(gradient(w, h, i));
  return v;
}

std::map<std::string, double> fpsOurs, fpsPeer;
std::string sizeName(int w, int h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

void BM_EncodeMp4_Library(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const auto& pics = pictures(w, h);
  H264EncConfig c;
  memset(&c, 0, sizeof c);
  c.width = static_cast<uint16_t>(w);
  c.height = static_cast<uint16_t>(h);
  c.fpsNum = 25;
  c.fpsDen = 1;
  c.keyInterval = 25;
  c.bitRate = 4000;
  H264Encoder* enc = H264Enc_Create();
  H264Enc_SetConfig(enc, &c);
  std::string path = scratch() + "/ours.mp4";
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    H264Enc_OpenFile(enc, path.c_str());
    for (int i = 0; i < kFrames; ++i) {
      uint8_t* pkt = nullptr;
      int len = 0;
      if (H264Enc_Encode(enc, pics[i % kDistinct].data(), &pkt, &len) >= 0)
        H264Enc_WritePacket(enc, pkt, len);
    }
    H264Enc_CloseFile(enc);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  H264Enc_Free(&enc);
  double fps = kFrames * static_cast<double>(state.iterations()) / seconds;
  state.counters["frames_per_s"] = fps;
  fpsOurs[sizeName(w, h)] = fps;
}

void BM_EncodeMp4_FfmpegCommand(benchmark::State& state) {
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  std::string raw = scratch() + "/src_" + sizeName(w, h) + ".bgra";
  {
    std::ofstream f(raw, std::ios::binary);
    for (const auto& p : pictures(w, h)) f.write(reinterpret_cast<const char*>(p.data()), p.size());
  }
  // The same settings as the library: preset veryfast, zerolatency, no B-frames, key frame every
  // 25 frames, 4000 kbit/s, 4:2:0, 25/1, MP4.
  std::string cmd =
      "ffmpeg -nostdin -v error -y -stream_loop -1 -f rawvideo -pix_fmt bgra -s " + sizeName(w, h) +
      " -r 25 -i " + raw + " -frames:v " + std::to_string(kFrames) +
      " -c:v libx264 -preset veryfast -tune zerolatency -bf 0 -g 25 -b:v 4000k -pix_fmt yuv420p " +
      scratch() + "/peer.mp4";
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("ffmpeg command failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  double fps = kFrames * static_cast<double>(state.iterations()) / seconds;
  state.counters["frames_per_s"] = fps;
  fpsPeer[sizeName(w, h)] = fps;
}

void BM_Decode1080pToBgra(benchmark::State& state) {
  std::string stream = scratch() + "/1080p.h264";
  std::string cmd =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -frames:v 50 "
      "-c:v libx264 -preset veryfast -tune zerolatency -bf 0 -g 25 -x264-params aud=1 -f h264 " +
      stream;
  if (std::system(cmd.c_str()) != 0) {
    state.SkipWithError("ffmpeg command failed");
    return;
  }
  std::ifstream f(stream, std::ios::binary);
  std::vector<uint8_t> s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  // Access units start at each access unit delimiter (NAL type 9).
  std::vector<std::vector<uint8_t>> units;
  size_t start = 0;
  for (size_t i = 4; i + 4 <= s.size(); ++i) {
    if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 0 && s[i + 3] == 1 && i + 4 < s.size() &&
        (s[i + 4] & 0x1f) == 9) {
      units.emplace_back(s.begin() + static_cast<long>(start), s.begin() + static_cast<long>(i));
      start = i;
    }
  }
  units.emplace_back(s.begin() + static_cast<long>(start), s.end());
  std::vector<uint8_t> bgra(1920 * 1080 * 4);
  H264DecConfig c;
  memset(&c, 0, sizeof c);
  c.width = 1920;
  c.height = 1080;
  H264Decoder* dec = H264Dec_Create();
  int64_t pictures = 0;
  double seconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    H264Dec_SetConfig(dec, &c);  // fresh decoder: the stream starts with its IDR picture again
    for (const auto& u : units)
      pictures += H264Dec_Decode(dec, u.data(), static_cast<int>(u.size()), bgra.data()) == 0;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  H264Dec_Free(&dec);
  state.counters["ms_per_frame"] = pictures > 0 ? seconds * 1000.0 / static_cast<double>(pictures) : 0.0;
  state.counters["pictures"] = static_cast<double>(pictures);
}

}  // namespace

BENCHMARK(BM_EncodeMp4_Library)
    ->Args({640, 512})
    ->Args({1280, 1024})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_EncodeMp4_FfmpegCommand)
    ->Args({640, 512})
    ->Args({1280, 1024})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_Decode1080pToBgra)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const auto& [size, ours] : fpsOurs) {
    auto peer = fpsPeer.find(size);
    if (peer == fpsPeer.end() || peer->second <= 0) continue;
    std::printf("BGRA->MP4 %s, %d frames: library %.1f frames/s, ffmpeg command %.1f frames/s, ratio %.2f\n",
                size.c_str(), kFrames, ours, peer->second, ours / peer->second);
  }
  std::filesystem::remove_all(scratch());
  benchmark::Shutdown();
  return 0;
}
