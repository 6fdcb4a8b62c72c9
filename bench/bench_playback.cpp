// Playback: OstrelPlayback_ReadFrame on stream files in the page cache (read, filters, colouring),
// 640 x 512 with the filters off and with denoise type 1 and destripe, and 1280 x 1024.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "files/StreamFile.h"

using namespace ostrel::files;

namespace {

constexpr int kFrames = 16;

std::string scratchPath(int w) {
  return std::string("/tmp/ostrel-bench-playback-") + std::to_string(getpid()) + "-" + std::to_string(w);
}

bool writeStream(const std::string& path, int w, int h) {
  TempStreamGeometry g;
  if (TempStream_Geometry(w, h, TF_MIN_PIXELS, TF_MAX_PIXELS, &g) != 0) return false;
  TempFileHead head{};
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame);
  StreamWriter wr;
  if (wr.create(path.c_str(), g, area.data()) != 0) return false;
  auto frame = ostrel::test::noiseFrame(w, h, 3000, 400, 7, 10);
  for (int i = 0; i < kFrames; ++i) {
    frame.head.frameIndex = static_cast<uint16_t>(i);
    if (wr.appendFrame(&frame.head, frame.codes.data()) != 0) return false;
  }
  return wr.close() == 0;
}

void readFrames(benchmark::State& state, int w, int h, bool filters) {
  if (Ostrel_InitSDK() != 0) {
    state.SkipWithError("init");
    return;
  }
  const std::string path = scratchPath(w);
  PlaybackContext* p = OstrelPlayback_Create();
  if (!p || !writeStream(path, w, h) || OstrelPlayback_OpenFile(p, path.c_str(), 2) != 0) {
    state.SkipWithError("setup");
  } else {
    if (filters) {
      DestripInfoRecord d{};
      OstrelPlayback_ConfigDestrip(p, &d, 0);
      d.type = 1;
      OstrelPlayback_ConfigDestrip(p, &d, 1);
      DenoiseInfoRecord n{};
      OstrelPlayback_ConfigDenoise(p, &n, 0);
      n.type = 1;
      OstrelPlayback_ConfigDenoise(p, &n, 1);
    }
    PreviewFrame f{};
    for (int i = 0; i < kFrames; ++i) OstrelPlayback_ReadFrame(p, i, &f);  // page cache and filter set-up
    int i = 0;
    for (auto _ : state) {
      if (OstrelPlayback_ReadFrame(p, i, &f) != 0) state.SkipWithError("read");
      benchmark::DoNotOptimize(f.image);
      i = (i + 1) % kFrames;
    }
  }
  OstrelPlayback_Free(&p);
  std::remove(path.c_str());
  Ostrel_FreeSDK();
}

void BM_PlaybackReadFrame640(benchmark::State& s) {
  readFrames(s, 640, 512, false);
}
void BM_PlaybackReadFrame640Filtered(benchmark::State& s) {
  readFrames(s, 640, 512, true);
}
void BM_PlaybackReadFrame1280(benchmark::State& s) {
  readFrames(s, 1280, 1024, false);
}

}  // namespace

BENCHMARK(BM_PlaybackReadFrame640)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackReadFrame640Filtered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackReadFrame1280)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
